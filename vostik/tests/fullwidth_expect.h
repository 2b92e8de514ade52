// What HanToZen's full-width characters must read as under code page 932,
// written as the characters themselves: the bytes of the conversion table
// are checked against the platform's own decoding of Shift-JIS.
#pragma once

// Bytes 0x20 to 0x7E.
inline constexpr char16_t kFullWidthAscii[] =
    u"　！”＃＄％＆’（）＊＋，－．／０１２３４５６７８９：；＜＝＞？＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯ"
    u"ＰＱＲＳＴＵＶＷＸＹＺ［￥］＾＿‘ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝￣";

// Bytes 0xA1 to 0xDF.
inline constexpr char16_t kFullWidthKana[] =
    u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモ"
    u"ヤユヨラリルレロワン゛゜";

static_assert(sizeof kFullWidthAscii / sizeof(char16_t) == 0x7E - 0x20 + 2);
static_assert(sizeof kFullWidthKana / sizeof(char16_t) == 0xDF - 0xA1 + 2);

// The expected character for a single byte under code page 932, or 0 when the
// byte has none.
inline char16_t full_width_of(unsigned char b) {
    if (b >= 0x20 && b <= 0x7E) return kFullWidthAscii[b - 0x20];
    if (b >= 0xA1 && b <= 0xDF) return kFullWidthKana[b - 0xA1];
    return 0;
}
