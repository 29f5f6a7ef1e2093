#pragma once
// Heap copies of NUL-terminated 8-bit text that can travel in a posted message.

namespace zt::host {

// A copy the receiver releases once with StrDispose; null for null text.
char* StrNew(const char* text);
void StrDispose(char* text);

}  // namespace zt::host
