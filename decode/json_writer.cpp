#include "json_writer.h"

#include "utf8.h"

#include <cstdio>

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
        std::putchar(',');
    }
    if (container.itemPerLine) {
        std::putchar('\n');
    } else if (!container.empty) {
        std::putchar(' ');
    }
    container.empty = false;
}

void Open(char open, char close, bool itemPerLine)
{
    BeginItem();
    std::putchar(open);
    if (depth < kMaxDepth) {
        stack[depth++] = Container{close, itemPerLine, true};
    }
}

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
        std::putchar('\n');
    }
    std::putchar(container.close);
}

void JsonKey(const char* key)
{
    JsonString(key);
    std::fputs(": ", stdout);
    afterKey = true;
}

void JsonString(const char* text)
{
    if (text == nullptr) {
        JsonNull();
        return;
    }
    BeginItem();
    std::putchar('"');
    const unsigned char* at = reinterpret_cast<const unsigned char*>(text);
    while (*at != '\0') {
        // The bytes that pass as they are, written in one go.
        const unsigned char* plain = at;
        for (int length = 1; length > 0; at += length) {
            const unsigned char c = *at;
            unsigned code = 0;
            length = c >= 0x80 ? Utf8Sequence(at, code) : c >= 0x20 && c != 0x7F && c != '"' && c != '\\' ? 1 : 0;
        }
        std::fwrite(plain, 1, static_cast<std::size_t>(at - plain), stdout);
        const unsigned char c = *at;
        if (c == '"' || c == '\\') {
            std::printf("\\%c", c);
        } else if (c >= 0x80) {
            std::printf("\\ufffd");
        } else if (c != '\0') {
            std::printf("\\u%04x", c);
        }
        at += c != '\0';
    }
    std::putchar('"');
}

void JsonNumber(long long value)
{
    BeginItem();
    std::printf("%lld", value);
}

void JsonUnsigned(unsigned long long value)
{
    BeginItem();
    std::printf("%llu", value);
}

void JsonOneDecimal(double value)
{
    BeginItem();
    std::printf("%.1f", value);
}

void JsonBool(bool value)
{
    BeginItem();
    std::fputs(value ? "true" : "false", stdout);
}

void JsonNull()
{
    BeginItem();
    std::fputs("null", stdout);
}
