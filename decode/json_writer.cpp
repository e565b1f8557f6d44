#include "json_writer.h"

#include "report_output.h"
#include "utf8.h"

namespace {

constexpr int kMaxDepth = 8;  // the report nests five deep

struct Container {
    char close;
    bool itemPerLine;
    bool empty;
};

Container stack[kMaxDepth];
int depth;
bool afterKey;

// What comes before a value or a key: the separator, unless a key just came.
void BeginItem()
{
    if (afterKey) {
        afterKey = false;
        return;
    }
    if (depth == 0) {
        return;
    }
    Container& container = stack[depth - 1];
    if (!container.empty) {
        OutChar(',');
    }
    if (container.itemPerLine) {
        OutChar('\n');
    } else if (!container.empty) {
        OutChar(' ');
    }
    container.empty = false;
}

void Open(char open, char close, bool itemPerLine)
{
    BeginItem();
    OutChar(open);
    if (depth < kMaxDepth) {
        stack[depth++] = Container{close, itemPerLine, true};
    }
}

// The ASCII bytes a JSON string holds as they are: no control, quote or
// backslash.
struct PlainAscii {
    int value[128];
    constexpr PlainAscii() : value()
    {
        for (int c = 0x20; c < 0x7F; ++c) {
            value[c] = c != '"' && c != '\\';
        }
    }
};
constexpr PlainAscii kPlainAscii;

}  // namespace

void JsonOpenObject(bool itemPerLine)
{
    Open('{', '}', itemPerLine);
}

void JsonOpenArray(bool itemPerLine)
{
    Open('[', ']', itemPerLine);
}

void JsonClose()
{
    if (depth == 0) {
        return;
    }
    const Container& container = stack[--depth];
    if (container.itemPerLine && !container.empty) {
        OutChar('\n');
    }
    OutChar(container.close);
}

void JsonKey(const char* key)
{
    BeginItem();
    OutChar('"');
    OutText(key);
    OutBytes("\": ", 3);
    afterKey = true;
}

void JsonMembers(const char* text, std::size_t length)
{
    BeginItem();
    OutBytes(text, length);
}

void JsonString(const char* text)
{
    if (text == nullptr) {
        JsonNull();
        return;
    }
    BeginItem();
    OutChar('"');
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    while (*at != '\0') {
        // The bytes that pass as they are, written in one go.
        const unsigned char* plain = at;
        unsigned code = 0;
        for (int length = 1; length > 0; at += length) {
            while (*at < 0x80 && kPlainAscii.value[*at] != 0) {
                ++at;
            }
            length = *at >= 0x80 ? Utf8Sequence(at, code) : 0;
        }
        OutBytes(reinterpret_cast<const char*>(plain), static_cast<std::size_t>(at - plain));
        const unsigned char c = *at;
        if (c == '"' || c == '\\') {
            OutFormat("\\%c", c);
        } else if (c >= 0x80) {
            OutFormat("\\ufffd");
        } else if (c != '\0') {
            OutFormat("\\u%04x", c);
        }
        at += c != '\0';
    }
    OutChar('"');
}

void JsonNumber(long long value)
{
    BeginItem();
    OutNumber(value);
}

void JsonUnsigned(unsigned long long value)
{
    BeginItem();
    OutUnsigned(value);
}

void JsonOneDecimal(double value)
{
    BeginItem();
    OutFormat("%.1f", value);
}

void JsonBool(bool value)
{
    BeginItem();
    OutText(value ? "true" : "false");
}

void JsonNull()
{
    BeginItem();
    OutText("null");
}
