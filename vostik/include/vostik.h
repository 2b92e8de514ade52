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
 * Each field: leading white space, one optional sign, a decimal number (or
 * inf/nan); it ends at the first character that cannot continue it, and a
 * field without a number ("x", "--1", "+-1") gives 0.
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

/*
 * Rules shared by the functions below.
 *   - Every test is an exact comparison; a tangent is a discriminant of
 *     exactly 0.
 *   - Points are packed from the first slot (*rx1, *ry1); slots beyond the
 *     returned count carry no meaning.  A zero-length line, concentric
 *     circles, or a line or circle that misses the circle writes nothing;
 *     the segment and arc functions may have written the points of the
 *     whole line or circle before finding none on the segment or arc.
 *   - A point is handed back only when both its coordinates are finite.
 *     NaN or infinite arguments, and magnitudes so large that the
 *     arithmetic overflows to infinity or NaN, give 0 with every slot
 *     untouched.
 *   - A negative radius acts as its magnitude: the arithmetic uses only its
 *     square, and the box test of GetInterCircleSegment orders its bounds.
 *   - Arc angles are degrees of any finite size, folded by NormalizeDegree;
 *     an arc runs counter-clockwise from s to e.  A NaN or infinite arc
 *     angle gives 0 with nothing written.
 */

/*
 * Meeting point of the lines P1-P2 and P3-P4, written to (*x, *y).
 * 1: it lies on both segments (ends included); -1: outside one or both
 * (still written); 0: parallel, collinear, a line of zero length, or a
 * point that is not finite (nothing written).
 */
VOSTIK_API int16_t VOSTIK_CALL GetIntersection(double x1, double y1, double x2, double y2,
                                               double x3, double y3, double x4, double y4,
                                               double *x, double *y);

/*
 * Circle (x0, y0, r0) with the infinite line P1-P2.  2: both points, in the
 * order met walking from P1 towards P2; 1: tangent, slot 2 untouched; 0.
 * A circle of radius 0 on the line gives 1 with its centre.
 */
VOSTIK_API int16_t VOSTIK_CALL GetInterCircleLine(double x0, double y0, double r0,
                                                  double x1, double y1, double x2, double y2,
                                                  double *rx1, double *ry1,
                                                  double *rx2, double *ry2);

/*
 * Circle with the segment P1-P2 (ends included).  A box test rejects far
 * segments first (touching boxes pass).  After the line's points are found,
 * one that lies off the segment is dropped: when the first is dropped, slot
 * 1 receives slot 2 (also when only one point was found, so slot 1 may then
 * hold the caller's slot 2 values while 0 is returned).
 */
VOSTIK_API int16_t VOSTIK_CALL GetInterCircleSegment(double x0, double y0, double r0,
                                                     double x1, double y1, double x2, double y2,
                                                     double *rx1, double *ry1,
                                                     double *rx2, double *ry2);

/*
 * Arc (x0, y0, r, s, e) with the infinite line P1-P2: the circle's points
 * whose direction from the centre lies strictly inside the sweep
 * (OnArcCheck), packed from slot 1.  The circle's points are written to the
 * slots even when none lies on the arc.
 */
VOSTIK_API int16_t VOSTIK_CALL GetInterArcLine(double x0, double y0, double r, double s, double e,
                                               double x1, double y1, double x2, double y2,
                                               double *rx1, double *ry1,
                                               double *rx2, double *ry2);

/* As GetInterArcLine, with the segment P1-P2 (see GetInterCircleSegment). */
VOSTIK_API int16_t VOSTIK_CALL GetInterArcSegment(double x0, double y0, double r, double s, double e,
                                                  double x1, double y1, double x2, double y2,
                                                  double *rx1, double *ry1,
                                                  double *rx2, double *ry2);

/* Two arcs: the points of their circles that lie on both sweeps. */
VOSTIK_API int16_t VOSTIK_CALL GetInterArcArc(double x1, double y1, double r1, double s1, double e1,
                                              double x2, double y2, double r2, double s2, double e2,
                                              double *rx1, double *ry1,
                                              double *rx2, double *ry2);

/* Circle 1 with arc 2: the circles' points that lie on arc 2's sweep. */
VOSTIK_API int16_t VOSTIK_CALL GetInterCircleArc(double x1, double y1, double r1,
                                                 double x2, double y2, double r2,
                                                 double s2, double e2,
                                                 double *rx1, double *ry1,
                                                 double *rx2, double *ry2);

/*
 * Two circles.  2: slot 1 is the point to the left of the direction from
 * centre 1 to centre 2, slot 2 the one to the right; 1: outer or inner
 * tangency; 0: apart, one inside the other, or concentric (identical
 * circles included).
 */
VOSTIK_API int16_t VOSTIK_CALL GetInterCircleCircle(double x1, double y1, double r1,
                                                    double x2, double y2, double r2,
                                                    double *rx1, double *ry1,
                                                    double *rx2, double *ry2);

/*
 * 1 when direction d lies strictly inside the arc from s to e (all three
 * folded by NormalizeDegree), else 0.  s equal to e is the full circle less
 * that one direction.  A NaN or infinite angle gives 0.
 */
VOSTIK_API int32_t VOSTIK_CALL OnArcCheck(double s, double e, double d);

/*
 * Region code of (x, y) against x1 <= x <= x2, y1 <= y <= y2 (note the
 * argument order): 1 left, 2 right, 4 below, 8 above, added; edges are
 * inside.  Bounds are used as given, so inverted bounds can give both 1
 * and 2.  A NaN coordinate or bound fails its comparisons and so counts as
 * outside: a NaN x gives 1 + 2, a NaN y 4 + 8.
 */
VOSTIK_API int16_t VOSTIK_CALL ClipCode(double x, double y, double x1, double x2, double y1, double y2);

/* ---- Space intersection ------------------------------------------------- */

/*
 * Meeting point of the space lines P1-P2 and P3-P4, with tolerances.
 *    1: the lines meet; the point is written (it may lie off the segments).
 *    0: parallel or antiparallel within 0.0001 on 1 - |cos angle|; untouched.
 *   -1: a line shorter than 0.0001, or skew (P4 0.001 or more off the plane
 *       of P1, P2, P3); untouched.
 *   -1: P1, P2 and P3 on one line (after small normal components are
 *       dropped); P3 is written.
 * A shared end point is returned exactly.  The point comes from the plane
 * intersections of the projections the plane's normal selects.  When one of
 * them has no point (line 2 seen end-on in it, or a short line 2 slightly
 * off the plane whose shadow runs parallel to line 1's), the coordinates it
 * should give are those of line 1 at the parameter another selected
 * projection found; if none found one: -1, untouched.  NaN or infinite
 * coordinates, or a line whose length overflows, give -1, untouched.
 */
VOSTIK_API int32_t VOSTIK_CALL GetIntersection3(double x1, double y1, double z1,
                                                double x2, double y2, double z2,
                                                double x3, double y3, double z3,
                                                double x4, double y4, double z4,
                                                double *x, double *y, double *z);

/* ---- Extents ------------------------------------------------------------ */
/*
 * A box is six doubles passed as six pointers: xmin, ymin, zmin, xmax, ymax,
 * zmax.  The empty box has every minimum at DBL_MAX and every maximum at
 * -DBL_MAX.  takasa is a primitive's elevation and atumi its thickness: the z
 * range runs between takasa and takasa + atumi (a negative thickness reaches
 * downwards).  The GetMinmax functions overwrite all six values.
 *
 * Pairs are ordered by "take them as given, exchange if the first is larger",
 * so a NaN coordinate is never dropped: it stays in the slot it came to.
 */

/* Sets the empty box. */
VOSTIK_API void VOSTIK_CALL ClearMinmax(double *xmin, double *ymin, double *zmin,
                                        double *xmax, double *ymax, double *zmax);

/* Grows the box by the point.  A NaN coordinate leaves its axis unchanged. */
VOSTIK_API void VOSTIK_CALL SetMinmaxXYZ(double x, double y, double z,
                                         double *xmin, double *ymin, double *zmin,
                                         double *xmax, double *ymax, double *zmax);

/* The box of one point (min = max). */
VOSTIK_API void VOSTIK_CALL GetMinmaxPoint(double x, double y, double z,
                                           double *xmin, double *ymin, double *zmin,
                                           double *xmax, double *ymax, double *zmax);

/* The box of the plane line P1-P2 with its z range. */
VOSTIK_API void VOSTIK_CALL GetMinmaxLine(double x1, double y1, double x2, double y2,
                                          double takasa, double atumi,
                                          double *xmin, double *ymin, double *zmin,
                                          double *xmax, double *ymax, double *zmax);

/*
 * The box of the circle with its z range.  A negative radius draws the same
 * circle (x + r cos a, y + r sin a), so the box uses |r|.
 */
VOSTIK_API void VOSTIK_CALL GetMinmaxCircle(double x, double y, double r, double takasa, double atumi,
                                            double *xmin, double *ymin, double *zmin,
                                            double *xmax, double *ymax, double *zmax);

/*
 * The box of the arc from s to e degrees, counter-clockwise, with its z range.
 * s > e is an arc through 0 degrees; s == e gives the single point at s.
 * Angles outside 0..360 are first folded by NormalizeDegree (so -90..90 is
 * the right half, 370..80 the same as 10..80, and 10..370 folds to the single
 * point at 10); in-range angles are used as given.  A negative radius gives the box of the points x + r cos a,
 * y + r sin a for a from s to e, that is the arc of radius |r| turned by 180
 * degrees.  NaN angles leave NaN in the x and y values.
 */
VOSTIK_API void VOSTIK_CALL GetMinmaxArc(double x, double y, double r, double s, double e,
                                         double takasa, double atumi,
                                         double *xmin, double *ymin, double *zmin,
                                         double *xmax, double *ymax, double *zmax);

/*
 * The box of the corners of a text (as GetTextCorner gives them) at height z:
 * the empty box grown by the five corners, so z runs from z to z.
 */
VOSTIK_API void VOSTIK_CALL GetMinmaxText(const char *text, double x0, double y0, double z,
                                          double ts_takasa, double ts_haba, double ts_kankaku,
                                          double linegap, double kaiten, int32_t genten,
                                          double *xmin, double *ymin, double *zmin,
                                          double *xmax, double *ymax, double *zmax);

/* The box of the rectangle with corners P1 and P2; z is 0 to 0. */
VOSTIK_API void VOSTIK_CALL GetMinmaxRectItem(double x1, double y1, double x2, double y2,
                                              double *xmin, double *ymin, double *zmin,
                                              double *xmax, double *ymax, double *zmax);

/* The box of the line P1-P2 in space. */
VOSTIK_API void VOSTIK_CALL GetMinmax3DLine(double x1, double y1, double z1,
                                            double x2, double y2, double z2,
                                            double *xmin, double *ymin, double *zmin,
                                            double *xmax, double *ymax, double *zmax);

/*
 * Corners of a text box, rotated by kaiten degrees about the anchor (x0, y0):
 * xs[0..4], ys[0..4] receive bottom-left, top-left, top-right, bottom-right
 * and bottom-left again.  z is accepted and not used.
 *   - Each character adds ts_haba + ts_kankaku to its line; the spacing after
 *     a line's last character is taken off again when ts_kankaku is not
 *     greater than the line's width.  The text is as wide as its widest line
 *     (never below 0).  A carriage return (13) ends a line; a line feed is a
 *     character like any other.  A double-byte character (its lead byte per
 *     the process's ANSI code page) counts as one; a lead byte just before
 *     the terminator is no character.
 *   - n lines: height (ts_takasa + linegap) * n - linegap, or ts_takasa for
 *     one line; a carriage return that is the text's last character adds no
 *     line.
 *   - genten: its low 16 bits as a signed number g; g / 4 is the vertical
 *     anchor (0 base line, 1 middle, 2 top), g % 4 the horizontal one (0 left,
 *     1 centre, 2 right).  Any other part (3 and above, or negative) anchors
 *     like 0.
 *   - An empty or NULL text puts all five corners at the anchor.
 *   - Texts of any length are measured in full; there is no 65535-byte limit.
 */
VOSTIK_API void VOSTIK_CALL GetTextCorner(const char *text, double x0, double y0, double z,
                                          double ts_takasa, double ts_haba, double ts_kankaku,
                                          double linegap, double kaiten, int32_t genten,
                                          double *xs, double *ys);

/* ---- Curves and arcs ---------------------------------------------------- */
/*
 * Angles in degrees; angles returned come from SubKakudoD (0..360).  An arc
 * is centre, radius, start s and end e, counter-clockwise from s to e.
 * Curve parameters t outside 0..1 are evaluated by the same polynomials.
 * NaN arguments give NaN points; they never make an arc (the arc builders
 * then return 0).
 */

/* The point at d degrees on the circle: (x0 + r cos d, y0 + r sin d).  A
 * negative radius gives the point on the opposite side of the centre. */
VOSTIK_API void VOSTIK_CALL GetArcPoint(double x0, double y0, double r, double d, double *x, double *y);

/* The point at distance dist from (x0, y0) in direction d degrees; the same
 * computation as GetArcPoint. */
VOSTIK_API void VOSTIK_CALL GetAnglePosition(double x0, double y0, double dist, double d, double *x, double *y);

/* Point on a uniform second-degree B-spline piece: the midpoint of P1 and P2
 * at t = 0, of P2 and P3 at t = 1. */
VOSTIK_API void VOSTIK_CALL GetSpline2Point(double x1, double y1, double x2, double y2, double x3, double y3,
                                            double t, double *x, double *y);

/* Point on a uniform third-degree B-spline piece: (P1 + 4 P2 + P3) / 6 at t = 0. */
VOSTIK_API void VOSTIK_CALL GetSpline3Point(double x1, double y1, double x2, double y2, double x3, double y3,
                                            double x4, double y4, double t, double *x, double *y);

/* Point on a cubic Bezier curve with ends P1, P4 and handles P2, P3. */
VOSTIK_API void VOSTIK_CALL GetBezierPoint(double x1, double y1, double x2, double y2, double x3, double y3,
                                           double x4, double y4, double t, double *x, double *y);

/*
 * The arc that leaves P1 in direction (dx, dy) (any length) and ends at P2:
 * centre, radius, and s, e such that the counter-clockwise arc from s to e is
 * it.  *reverse = 0 when that arc runs from P1 to P2 (P2 left of the
 * tangent), 1 when it runs from P2 to P1.  Returns 1, or 0 with nothing
 * written when |cross product of (dx, dy) and P2 - P1| is below 1e-9 (P2 on
 * the tangent line, or a zero tangent), when an argument is NaN or infinite,
 * or when the centre or radius would overflow.
 */
VOSTIK_API int32_t VOSTIK_CALL CalcCenterArc(double x1, double y1, double dx, double dy, double x2, double y2,
                                             double *x0, double *y0, double *r, double *s, double *e,
                                             int32_t *reverse);

/*
 * The arc from P1 to P2 through P3: centre, radius, and s, e such that the
 * counter-clockwise arc from s to e passes P3.  Returns 1, or 0 with nothing
 * written when the points are exactly collinear (two equal points included),
 * when an argument is NaN or infinite, or when the points are so nearly
 * collinear that the centre or radius would overflow.
 */
VOSTIK_API int32_t VOSTIK_CALL GetArcVal(double x1, double y1, double x2, double y2, double x3, double y3,
                                         double *x0, double *y0, double *r, double *s, double *e);

/* Length of one period of a line type: the sum of its unsigned 16-bit
 * elements up to the 0 element, in steps of 0.01.  Empty or NULL gives 0. */
VOSTIK_API double VOSTIK_CALL GetLTypeDefLength(const uint16_t *def);

/* ---- Number, colour and text conversions -------------------------------- */

/*
 * Message beep picked by the low 16 bits of kind, taken as a signed number:
 * 0 simple beep, 1 asterisk, 2 exclamation, 3 question, 4 default sound;
 * every other value, negative ones included, gives the simple beep.
 * Returns the platform's result, non-zero when the beep sounded.  Without
 * the platform's message beep (Linux) it rings the terminal bell on
 * standard error, whatever the kind, and returns 0 when standard error is
 * not a terminal.
 */
VOSTIK_API int32_t VOSTIK_CALL ZynBeep(int32_t kind);

/*
 * Writes value as text into buffer, which must hold 128 bytes; returns 0.
 * The fourteen significant digits are rounded half up from the exact
 * binary value (identical bytes on every platform).  The text is
 * "ddd.ddd" or "0.000ddd" with all fourteen digits, then cut after the
 * point (never rounded again):
 *   decimals >= 0: at most that many characters after the point ("12.");
 *   -1: at the point;  -3: trailing zeros, then a last point, go;
 *   any other below -1: trailing zeros go, the point stays.
 * Choices of this library:
 *   - 1e14 and above: the integer part goes on in zeros after the
 *     fourteenth digit ("123456789012350000.").
 *   - When that text would not fit in 128 bytes (from 1e125) or a value
 *     needs more than 110 zeros after "0." (below 1e-111), the fourteen
 *     digits are written "d.ddddddddddddd", cut as above, followed by the
 *     exponent "e+NNN" / "e-NNN" ("1.5e+200" with -3).
 *   - Negative zero is written as zero; infinities as "inf" and "-inf",
 *     NaN as "nan" (no cut applies).
 */
VOSTIK_API int32_t VOSTIK_CALL DoubleToString(double value, char *buffer, int32_t decimals);

/* Old binary (MBF) single at source to IEEE single at target; exponent byte
 * 0 gives four zero bytes.  No range check: the exponent wraps modulo 256.
 * source and target may be the same 4 bytes. */
VOSTIK_API void VOSTIK_CALL MSBinToIEEE(const void *source, void *target);

/* IEEE single at source to old binary (MBF) single at target; four zero
 * bytes stay zero.  No range check: the exponent wraps modulo 256.
 * source and target may be the same 4 bytes. */
VOSTIK_API void VOSTIK_CALL IEEEToMSBin(const void *source, void *target);

/* 0x02bbggrr from the byte-wise exclusive-or of two 0x00bbggrr colours;
 * their top bytes are ignored. */
VOSTIK_API uint32_t VOSTIK_CALL XorPALETTERGB(uint32_t color1, uint32_t color2);

/* 0x02bbggrr: the colour's low 24 bits, palette-relative. */
VOSTIK_API uint32_t VOSTIK_CALL MakePALETTERGB(uint32_t color);

/*
 * Half-width to full-width text.  target must hold 2 x strlen(source) + 1
 * bytes.  Returns the bytes written before the final zero.
 *   - A lead byte of the ANSI code page goes along with its trail byte,
 *     unchanged; a lead byte that ends the text goes with the zero, which is
 *     counted.
 *   - Every other byte is written as two bytes: under code page 932 printable
 *     ASCII and half-width katakana/punctuation become their full-width
 *     Shift-JIS characters (a sound mark stays a character of its own);
 *     any other byte, and every byte under other code pages, becomes 0x00
 *     and the byte itself, so the text in target then ends at that 0x00
 *     while the count goes on.
 */
VOSTIK_API int32_t VOSTIK_CALL HanToZen(const char *source, char *target);

/* ---- Expression evaluator ----------------------------------------------- */

/*
 * Evaluates an arithmetic expression (numbers, + - * / % ^, parentheses) and
 * stores its value in *result, which is set to 0 first.  Letters and blanks
 * are skipped; "=", CR and LF end the expression; a character that is none
 * of these ends the text.  Bytes 0x80..0xFF count as letters, and a
 * double-byte character of the ANSI code page is skipped whole (its trail
 * byte never reads as an operator or digit).  A "(" still open at the end
 * of the expression is closed there ("2*(3+4" is 14).
 * Returns 0 (evaluated; an empty text gives 0), 1 (division by a divisor
 * below 5e-14 in magnitude, or % by a divisor that truncates to 0), 2 (0 ^ a
 * negative number), 0x8000 (syntax error) or 0x101 (no working memory); on
 * any code but 0, *result stays 0.
 * a % b is the remainder of trunc(a) by trunc(b) with the sign of a: for
 * operands in the 32-bit range exactly the 32-bit integer remainder (so
 * -2147483648 % -1 is 0); beyond that range the same remainder of the
 * truncated values, computed exactly; an infinite or NaN a gives NaN, an
 * infinite b gives trunc(a).
 * Memory and time grow linearly with the text.  A NULL text counts as empty;
 * with a NULL result the code is returned and nothing is stored.
 */
VOSTIK_API int32_t VOSTIK_CALL ParseString(const char *text, double *result);

/* ---- Registry clean-up and product version ------------------------------ */

/*
 * The key handle of DeleteRegistry and DeleteRegistrySub.
 *   Windows: an HKEY (a predefined root such as HKEY_CURRENT_USER, or any
 *   key the caller has open).
 *   Elsewhere: an open directory descriptor (AT_FDCWD works too).  A key is
 *   a directory below it, a value is any other file in a key's directory;
 *   key paths may separate their names with "\" or "/" (a "\" that is the
 *   trail byte of a double-byte character is part of the name), and a name
 *   may not be empty, "." or "..".  Symbolic links are never followed below
 *   the path: a link counts as a value and only the link is removed.
 */
#if defined(_WIN32)
typedef void *VostikKey;
#else
typedef int VostikKey;
#endif

/*
 * Deletes the key path under root with every key and value below it.
 * Returns 1 when the key is gone, 0 when it did not exist or could not be
 * removed (after at most 10001 attempts; it may then be partly cleaned).
 * A NULL or empty path is refused with 0: it would name root itself.
 */
VOSTIK_API int32_t VOSTIK_CALL DeleteRegistry(VostikKey root, const char *path);

/*
 * One step of DeleteRegistry: deletes path if it has no subkeys (its values
 * go with it) and returns 1; otherwise deletes the deepest key reachable
 * through first subkeys (lowest name first) and returns 0.  Keys that carry
 * a class name are walked like any other.  NULL or empty path: 0.
 */
VOSTIK_API int32_t VOSTIK_CALL DeleteRegistrySub(VostikKey root, const char *path);

/*
 * Copies the version text of file into text: the FileVersion string of the
 * "041104b0" block of its version resource, or the ProductVersion string
 * when FileVersion is missing or empty.  Returns 1, or 0 with text untouched
 * when neither is found.  text must be large enough for the string and its
 * terminator (a version block holds at most 32767 UTF-16 characters; 65536
 * bytes suffice under single- and double-byte code pages); no size is
 * checked.
 * Windows reads through the platform's version functions.  Elsewhere the
 * file is read directly, with the same result for 32- and 64-bit Windows
 * files in the usual form (resource language: neutral, else US English,
 * else the first); 16-bit files are not read there, and characters outside
 * ASCII come out as "?".
 */
VOSTIK_API int32_t VOSTIK_CALL GetProductVersion(const char *file, char *text);

#endif /* VOSTIK_H */
