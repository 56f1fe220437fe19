#pragma once
// Test helper: a folder of its own for each test of the program, and the
// program's commands most tests start from.

#include "MovieProbe.h"
#include "RunProgram.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace btcli::test {

class Cli : public btmedia::test::FolderTest {
protected:
    /// `new` with these arguments; fails the test unless it succeeds.
    std::string New(const std::string& name, std::vector<std::string> args)
    {
        const std::string path = Path(name);
        args.insert(args.begin(), {"new", "-y", "-o", path});
        const auto o = RunTool(args);
        EXPECT_EQ(o.exitCode, 0) << o.err;
        return path;
    }

    /// `export` of the clip to `name` with these arguments, read back.
    btmedia::probe::Movie Export(const std::string& clip, const std::string& name, std::vector<std::string> args)
    {
        args.insert(args.begin(), {"export", clip, "-o", Path(name)});
        const auto o = RunTool(args);
        if (o.exitCode != 0)
            throw std::runtime_error("export failed: " + o.err);
        return btmedia::probe::ReadMovie(Path(name));
    }
};

} // namespace btcli::test
