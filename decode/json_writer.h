// A JSON document written as it goes: the writer places the separators
// itself, ", " between the items of a container, or ",\n" with a line end
// before the first and after the last where a container has one item a line.
#pragma once

void JsonOpenObject(bool itemPerLine = false);
void JsonOpenArray(bool itemPerLine = false);
void JsonClose();
void JsonKey(const char* key);
// Valid UTF-8 passes through, control bytes are escaped, and any other byte
// becomes U+FFFD: the document stays valid UTF-8 whatever the input.
// nullptr writes null.
void JsonString(const char* text);
void JsonNumber(long long value);
void JsonUnsigned(unsigned long long value);
void JsonOneDecimal(double value);
void JsonBool(bool value);
void JsonNull();
