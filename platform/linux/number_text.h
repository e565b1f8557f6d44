#pragma once

// Numbers in names and attributes, read strictly: a sign, a blank or a
// stray character makes no number, nor does one beyond its largest value.

// The digits of `base` from `text` to `end` (exactly `count` of them, or any
// count when 0) as a number up to `max`.
bool ParseNumber(const char* text, const char* end, unsigned base, int count, unsigned max, unsigned& value);

// As Windows' own names write them: 1 to `digits` digits, no leading zero.
bool ParseName(const char* text, const char* end, unsigned base, int digits, unsigned& value);
