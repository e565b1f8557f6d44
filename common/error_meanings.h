// What the error numbers portdump prints mean to its user, in one table for
// every program that explains them.
#pragma once

// The meaning of Windows error `number` when a controller's device fails to
// open, as portdump gives it on Windows and on Linux; nullptr for a number
// without one.
const char* ErrorMeaning(long long number);
