#include "codepage.h"

#include <windows.h>

namespace vostik {
namespace {
const unsigned noted_codepage = GetACP();
}

unsigned ansi_codepage() { return noted_codepage; }
bool is_lead_byte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

}  // namespace vostik
