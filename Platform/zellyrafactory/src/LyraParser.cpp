#include "zellyrafactory/LyraParser.h"

#include "LyraVocabulary.h"

#include <cctype>
#include <charconv>

namespace zellyrafactory {

LyraSyntaxError::LyraSyntaxError(int line, const std::string& message)
    : std::runtime_error("layout script line " + std::to_string(line) + ": " + message), mLine(line)
{
}

LyraSyntaxError::~LyraSyntaxError() = default;

const LyraProperty* LyraWidget::Find(std::string_view name) const noexcept
{
    for (const LyraProperty& property : properties)
        if (property.name == name)
            return &property;
    return nullptr;
}

namespace {

// Rationale: nesting deeper than this is not a layout anyone writes; the
// limit keeps a hostile script from exhausting the stack.
constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(std::string_view text) : mText(text) {}

    LyraDocument Document()
    {
        LyraDocument document;
        ExpectWord("layout");
        document.layoutName = Identifier("the layout name");
        Expect('{');
        ExpectWord("view");
        document.view = Widget(0);
        Expect('}');
        SkipSpace();
        if (mPos < mText.size())
            Fail("unexpected '" + std::string(1, mText[mPos]) + "' after the end of the layout");
        if (document.view.kind == "dialog") {
            document.dialect = LyraDialect::Older;
            detail::RewriteOlderDialect(document.view);
        }
        return document;
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw LyraSyntaxError(mLine, message); }

    void SkipSpace()
    {
        while (mPos < mText.size()) {
            const char c = mText[mPos];
            if (c == '\n') {
                ++mLine;
                ++mPos;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++mPos;
            } else if (c == '/' && mPos + 1 < mText.size() && mText[mPos + 1] == '/') {
                while (mPos < mText.size() && mText[mPos] != '\n')
                    ++mPos;
            } else {
                return;
            }
        }
    }

    std::string Found()
    {
        if (mPos >= mText.size())
            return "the end of the script";
        return "'" + std::string(1, mText[mPos]) + "'";
    }

    bool Peek(char c)
    {
        SkipSpace();
        return mPos < mText.size() && mText[mPos] == c;
    }

    void Expect(char c)
    {
        if (!Peek(c))
            Fail(std::string("expected '") + c + "' but found " + Found());
        ++mPos;
    }

    static bool IsWordChar(char c)
    {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '.' || c == '-';
    }

    std::string Identifier(const char* what)
    {
        SkipSpace();
        const std::size_t start = mPos;
        while (mPos < mText.size() && IsWordChar(mText[mPos]))
            ++mPos;
        if (mPos == start)
            Fail(std::string("expected ") + what + " but found " + Found());
        return std::string(mText.substr(start, mPos - start));
    }

    void ExpectWord(std::string_view word)
    {
        const int line = (SkipSpace(), mLine);
        const std::string found = Identifier(("'" + std::string(word) + "'").c_str());
        if (found != word)
            throw LyraSyntaxError(line, "expected '" + std::string(word) + "' but found '" + found + "'");
    }

    LyraWidget Widget(int depth)
    {
        if (depth > kMaxDepth)
            Fail("widgets nested too deeply");
        LyraWidget widget;
        SkipSpace();
        widget.line = mLine;
        widget.kind = Identifier("a widget");
        if (Peek('(')) {
            ++mPos;
            if (!Peek(')')) {
                for (;;) {
                    widget.properties.push_back(Property());
                    if (Peek(',')) {
                        ++mPos;
                        continue;
                    }
                    break;
                }
            }
            Expect(')');
        }
        if (Peek(';')) {
            ++mPos;
            return widget;
        }
        if (!Peek('{'))
            Fail("expected ';' or '{' after widget '" + widget.kind + "' but found " + Found());
        ++mPos;
        while (!Peek('}')) {
            if (mPos >= mText.size())
                Fail("the braces of widget '" + widget.kind + "' (line " + std::to_string(widget.line) +
                     ") are not closed");
            widget.children.push_back(Widget(depth + 1));
        }
        ++mPos;
        if (Peek(';'))
            ++mPos;
        return widget;
    }

    LyraProperty Property()
    {
        LyraProperty property;
        SkipSpace();
        property.line = mLine;
        property.name = Identifier("a property name");
        Expect(':');
        property.value = Value(property.name);
        return property;
    }

    LyraValue Value(const std::string& propertyName)
    {
        SkipSpace();
        LyraValue value;
        if (mPos >= mText.size())
            Fail("expected a value for '" + propertyName + "' but found the end of the script");
        const char c = mText[mPos];
        if (c == '\'') {
            value.kind = LyraValue::Kind::Text;
            const int startLine = mLine;
            ++mPos;
            for (;;) {
                if (mPos >= mText.size() || mText[mPos] == '\n')
                    throw LyraSyntaxError(startLine, "the text of '" + propertyName + "' is not closed");
                char ch = mText[mPos++];
                if (ch == '\'')
                    break;
                if (ch == '\\' && mPos < mText.size() && (mText[mPos] == '\'' || mText[mPos] == '\\'))
                    ch = mText[mPos++];
                value.text.push_back(ch);
            }
        } else if (c == '-' || c == '+' || c == '.' || std::isdigit(static_cast<unsigned char>(c)) != 0) {
            value.kind = LyraValue::Kind::Number;
            const std::size_t start = mPos;
            while (mPos < mText.size() && (IsWordChar(mText[mPos]) || mText[mPos] == '+'))
                ++mPos;
            value.text = std::string(mText.substr(start, mPos - start));
            const char* first = value.text.c_str() + (value.text.front() == '+' ? 1 : 0);
            const char* last = value.text.c_str() + value.text.size();
            const auto [end, error] = std::from_chars(first, last, value.number);
            if (error != std::errc() || end != last)
                Fail("'" + value.text + "' is not a number (property '" + propertyName + "')");
        } else if (c == '@' || std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_') {
            value.kind = LyraValue::Kind::Symbol;
            if (c == '@')
                ++mPos;
            value.text = Identifier("a symbol");
        } else {
            Fail("expected a value for '" + propertyName + "' but found " + Found());
        }
        return value;
    }

    std::string_view mText;
    std::size_t mPos = 0;
    int mLine = 1;
};

} // namespace

LyraDocument ParseLyraText(std::string_view script)
{
    // A UTF-8 byte-order mark is not part of the script.
    if (script.substr(0, 3) == "\xEF\xBB\xBF")
        script.remove_prefix(3);
    return Parser(script).Document();
}

} // namespace zellyrafactory
