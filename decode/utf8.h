// UTF-8 as the reports check it, before they pass it on.
#pragma once

// The length of the valid UTF-8 sequence at `text` (no overlong form, no
// surrogate, nothing past U+10FFFF) with its code point in `code`, or 0 when
// there is none.
int Utf8Sequence(const unsigned char* text, unsigned& code);
