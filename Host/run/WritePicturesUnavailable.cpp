// Builds without the PNG writer (the Windows target has no libpng) say so
// instead of saving pictures.

#include "WritePictures.h"

#include <ostream>

namespace btrun {

void WriteBarsPictures(bthost::Host&, const void*, const std::string&, std::ostream& out)
{
    out << "Pictures: not written (this build has no PNG writer)\n";
}

} // namespace btrun
