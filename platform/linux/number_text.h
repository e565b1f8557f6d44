#pragma once

// Numbers in names and attributes, read strictly: a sign, a blank or a
// stray character makes no number, nor does one beyond its largest value.

// The digits of `base` from `text` to `end` (exactly `count` of them, or any
// count when 0) as a number up to `max`.
bool ParseNumber(const char* text, const char* end, unsigned base, int count, unsigned max, unsigned& value);

// All of `text` as a decimal number up to `max`.
bool ParseDecimal(const char* text, unsigned max, unsigned& value);

// `prefix` and a decimal number, as in host3, ata7, sg12.
bool ParseNumbered(const char* name, const char* prefix, unsigned& number);
