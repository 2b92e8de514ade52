// The fixed identifiers of rotamcmd's type library, classes and interfaces
// (the same values as in rotamcmd.idl), and the names the registry knows
// them by.
#pragma once

#include <windows.h>

namespace rotam::com {

// {5A1EE85E-7367-4D00-916B-526916093BDD}
inline constexpr GUID LIBID_rotamcmd = {
    0x5A1EE85E, 0x7367, 0x4D00, {0x91, 0x6B, 0x52, 0x69, 0x16, 0x09, 0x3B, 0xDD}};
// {BCECED10-18CB-42E8-8E71-863FA699E24D}
inline constexpr GUID DIID__ZynOptCmd120 = {
    0xBCECED10, 0x18CB, 0x42E8, {0x8E, 0x71, 0x86, 0x3F, 0xA6, 0x99, 0xE2, 0x4D}};
// {C32F831F-32EC-4763-9C9E-474968030B2B}
inline constexpr GUID DIID___ZynOptCmd120 = {
    0xC32F831F, 0x32EC, 0x4763, {0x9C, 0x9E, 0x47, 0x49, 0x68, 0x03, 0x0B, 0x2B}};
// {93065203-8A40-44E8-A1EA-161916329191}
inline constexpr GUID CLSID_ZynOptCmd120 = {
    0x93065203, 0x8A40, 0x44E8, {0xA1, 0xEA, 0x16, 0x19, 0x16, 0x32, 0x91, 0x91}};
// {AB0D8DD0-E85A-4884-A21E-348FCA19964C}
inline constexpr GUID DIID__QVZ_Class = {
    0xAB0D8DD0, 0xE85A, 0x4884, {0xA2, 0x1E, 0x34, 0x8F, 0xCA, 0x19, 0x96, 0x4C}};
// {EFE7A1FA-D48A-4540-B2BF-B47C1DB44BA8}
inline constexpr GUID CLSID_QVZ_Class = {
    0xEFE7A1FA, 0xD48A, 0x4540, {0xB2, 0xBF, 0xB4, 0x7C, 0x1D, 0xB4, 0x4B, 0xA8}};

inline constexpr wchar_t kProgId[] = L"rotamcmd.ZynOptCmd120";
inline constexpr wchar_t kLibraryName[] = L"rotamcmd";
inline constexpr WORD kLibraryMajor = 1;
inline constexpr WORD kLibraryMinor = 0;

}  // namespace rotam::com
