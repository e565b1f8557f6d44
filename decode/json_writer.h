// A JSON document written as it goes: the writer places the separators
// itself, ", " between the items of a container, or ",\n" with a line end
// before the first and after the last where a container has one item a line.
#pragma once

#include <cstddef>

void JsonOpenObject(bool itemPerLine = false);
void JsonOpenArray(bool itemPerLine = false);
void JsonClose();
// A key as the program names it: plain ASCII, written as it is.
void JsonKey(const char* key);
// One item the caller wrote whole, such as `"word": 82, "bit": 0`: placed
// as any other, its text written as it is.
void JsonMembers(const char* text, std::size_t length);
// Valid UTF-8 passes through, control bytes are escaped, and any other byte
// becomes U+FFFD: the document stays valid UTF-8 whatever the input.
// nullptr writes null.
void JsonString(const char* text);
void JsonNumber(long long value);
void JsonUnsigned(unsigned long long value);
void JsonOneDecimal(double value);
void JsonBool(bool value);
void JsonNull();
