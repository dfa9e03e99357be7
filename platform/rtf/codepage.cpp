#include "platform/rtf/codepage.h"

#include <QByteArrayList>
#include <array>

namespace rtf::codepage {

namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five bytes the code page leaves undefined map
// to the C1 control of the same value, as Windows itself maps them.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<QStringDecoder> systemDecoder(int codepage) {
    if (codepage == 65001) return QStringDecoder(QStringDecoder::Utf8);
    const QByteArray number = QByteArray::number(codepage);
    // Names of the code pages that the system knows by another name first.
    struct Alias {
        int codepage;
        const char* names[2];
    };
    static constexpr Alias kAliases[] = {
        {437, {"IBM437"}},
        {850, {"IBM850"}},
        {932, {"windows-932", "Shift_JIS"}},
        {936, {"windows-936", "GBK"}},
        {949, {"windows-949", "EUC-KR"}},
        {950, {"windows-950", "Big5"}},
        {10000, {"macintosh"}},
    };
    QByteArrayList names;
    for (const Alias& alias : kAliases)
        if (alias.codepage == codepage)
            for (const char* name : alias.names)
                if (name) names << name;
    names << "windows-" + number << "cp" + number << "ibm" + number;
    for (const QByteArray& name : names) {
        QStringDecoder decoder(name.constData());
        if (decoder.isValid()) return decoder;
    }
    return std::nullopt;
}

}  // namespace

int toWindows1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (std::size_t i = 0; i < kHigh1252.size(); ++i)
        if (kHigh1252[i] == c) return int(0x80 + i);
    return -1;
}

int forCharset(int charset) {
    struct Entry {
        int charset;
        int codepage;
    };
    static constexpr Entry kCharsets[] = {
        {0, 1252},   {77, 10000}, {128, 932},  {129, 949},  {130, 1361}, {134, 936},
        {136, 950},  {161, 1253}, {162, 1254}, {163, 1258}, {177, 1255}, {178, 1256},
        {186, 1257}, {204, 1251}, {222, 874},  {238, 1250}, {254, 437},  {255, 850}};
    for (const Entry& e : kCharsets)
        if (e.charset == charset) return e.codepage;
    return 0;  // default, symbol and the unknown ones
}

int known(int codepage) {
    static constexpr int kCodepages[] = {
        437,   708,   720,   737,   775,   850,   852,   855,   857,   860,   861,   862,   863,
        864,   865,   866,   869,   874,   932,   936,   949,   950,   1250,  1251,  1252,  1253,
        1254,  1255,  1256,  1257,  1258,  1361,  10000, 10006, 10007, 10029, 20866, 21866, 28591,
        28592, 28593, 28594, 28595, 28596, 28597, 28598, 28599, 28605, 65001};
    for (const int known : kCodepages)
        if (known == codepage) return codepage;
    return 1252;
}

Decoder::Decoder(int codepage) : m_codepage(codepage) {
    if (codepage != 1252) m_decoder = systemDecoder(codepage);
}

void Decoder::append(QString& out, const char* data, qsizetype size) {
    if (m_decoder) {
        m_decoder->resetState();
        out += m_decoder->decode(QByteArrayView(data, size));
        return;
    }
    const qsizetype start = out.size();
    out.resize(start + size);
    char16_t* to = reinterpret_cast<char16_t*>(out.data()) + start;
    for (qsizetype i = 0; i < size; ++i) {
        const auto byte = static_cast<unsigned char>(data[i]);
        to[i] = (byte >= 0x80 && byte < 0xA0) ? kHigh1252[byte - 0x80] : char16_t(byte);
    }
}

}  // namespace rtf::codepage
