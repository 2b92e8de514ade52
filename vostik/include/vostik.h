/*
 * VOSTIK: geometry and conversion services for option commands.
 *
 * One header for every caller, valid C and C++.
 *
 * Binary interface
 *   - 32-bit Windows: VOSTIK.DLL, every export under its plain undecorated
 *     name at a fixed ordinal, __stdcall.
 *   - Elsewhere: libvostik.so with the same names and the platform's default
 *     calling convention; nothing else is exported.
 *   - Doubles go in by value; outputs go through pointers and are written
 *     only on success.  Text is zero-terminated bytes in the process's ANSI
 *     code page.  Callers own every buffer.
 *
 * Code page (lead-byte tests of GetTextCorner, GetMinmaxText, HanToZen):
 *   Windows: the process's ANSI code page, through the platform's own test.
 *   Elsewhere: the environment variable VOSTIK_CODEPAGE (a number, e.g. 932)
 *   if set, else the locale's character set (Shift_JIS/SJIS/CP932 give 932,
 *   EUC-JP is not a code page of this library), else 1252 (single byte).
 *   The page is noted when the library is loaded.
 */
#ifndef VOSTIK_H
#define VOSTIK_H

#include <stdint.h>

#if defined(_WIN32)
#  define VOSTIK_CALL __stdcall
#  if defined(VOSTIK_BUILDING)
#    define VOSTIK_EXPORT __declspec(dllexport)
#  else
#    define VOSTIK_EXPORT __declspec(dllimport)
#  endif
#else
#  define VOSTIK_CALL
#  if defined(VOSTIK_BUILDING)
#    define VOSTIK_EXPORT __attribute__((visibility("default")))
#  else
#    define VOSTIK_EXPORT
#  endif
#endif

#ifdef __cplusplus
#  define VOSTIK_API extern "C" VOSTIK_EXPORT
#else
#  define VOSTIK_API extern VOSTIK_EXPORT
#endif

/* ---- Frame, angles and vectors ------------------------------------------ */

/* Direction of (dx, dy) in radians, 0 <= result < 2*pi; (0, 0) gives 0. */
VOSTIK_API double VOSTIK_CALL SubKakudo(double dx, double dy);

/* Direction of (dx, dy) in degrees folded by NormalizeDegree; (0, 0) gives 0. */
VOSTIK_API double VOSTIK_CALL SubKakudoD(double dx, double dy);

/*
 * Folds *a into 0..360 (0 and 360 both stay) and returns it.
 * Runs in constant time.  For finite values up to about 2^55 in magnitude
 * the result is bit-identical to adding or subtracting 360 one turn at a
 * time.  Beyond that, where adding 360 would no longer change the value,
 * the result is the remainder fmod(v, 360) moved into 0..360 (exact).
 * NaN is stored and returned unchanged; +infinity and -infinity store and
 * return NaN (no turn count can fold them).
 */
VOSTIK_API double VOSTIK_CALL NormalizeDegree(double *a);

/*
 * Scales (x, y, z) to unit length.  A zero vector, or one whose length is
 * not finite and non-zero, is left exactly as it was: no component is ever
 * half-changed.
 */
VOSTIK_API void VOSTIK_CALL NormalizeVector(double *x, double *y, double *z);

/*
 * Parses the comma-separated numbers of text into values[0..count-1].
 * Stops after count values or after the last field; slots beyond the fields
 * found stay untouched.  count < 1 or a NULL text or values: nothing is
 * stored.
 */
VOSTIK_API void VOSTIK_CALL GetVal(const char *text, double *values, int32_t count);

/* 1 when the lines P1-P2 and P3-P4 are exactly parallel (no tolerance). */
VOSTIK_API int32_t VOSTIK_CALL Parallel(double x1, double y1, double x2, double y2,
                                        double x3, double y3, double x4, double y4);

/* Foot of the perpendicular from P0 onto the line P1-P2; 0 when P1 == P2. */
VOSTIK_API int32_t VOSTIK_CALL GetPerpend(double x0, double y0, double x1, double y1,
                                          double x2, double y2, double *x, double *y);

/* Parallel test of the XY projections of two space lines. */
VOSTIK_API int32_t VOSTIK_CALL Parallel3(double x1, double y1, double z1,
                                         double x2, double y2, double z2,
                                         double x3, double y3, double z3,
                                         double x4, double y4, double z4);

/* Foot of the perpendicular from P0 onto the space line P1-P2; 0 when P1 == P2. */
VOSTIK_API int32_t VOSTIK_CALL GetPerpend3(double x0, double y0, double z0,
                                           double x1, double y1, double z1,
                                           double x2, double y2, double z2,
                                           double *x, double *y, double *z);

/* ---- Plane intersections ------------------------------------------------ */

/* ---- Space intersection ------------------------------------------------- */

/* ---- Extents ------------------------------------------------------------ */

/* ---- Curves and arcs ---------------------------------------------------- */

/* ---- Number, colour and text conversions -------------------------------- */

/* ---- Expression evaluator ----------------------------------------------- */

/* ---- Registry clean-up and product version ------------------------------ */

#endif /* VOSTIK_H */
