#include "document/png.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <unordered_map>

namespace lex {

namespace {

std::uint32_t crc32(std::string_view bytes, std::uint32_t crc = 0) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (const char b : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(b)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void put32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(char((v >> shift) & 0xFF));
}

void chunk(std::string& out, const char* type, std::string_view data) {
    put32(out, std::uint32_t(data.size()));
    std::string body(type, 4);
    body.append(data);
    out.append(body);
    put32(out, crc32(body));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string stored_zlib(std::string_view raw) {
    std::string out("\x78\x01", 2);
    std::size_t at = 0;
    do {
        const std::size_t n = std::min<std::size_t>(raw.size() - at, 65535);
        const bool last = at + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(char(n & 0xFF));
        out.push_back(char(n >> 8));
        out.push_back(char(~n & 0xFF));
        out.push_back(char((~n >> 8) & 0xFF));
        out.append(raw.substr(at, n));
        at += n;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;
    for (const char c : raw) {
        a = (a + static_cast<unsigned char>(c)) % 65521;
        b = (b + a) % 65521;
    }
    put32(out, (b << 16) | a);
    return out;
}

} // namespace

std::string png_file(const Picture& picture, int side) {
    if (picture.empty()) return {};
    Picture p = picture;
    if (p.solid) {
        side = std::clamp(side, 1, kMaxPictureSide);
        p.width = p.height = side;
        p.pixels.assign(std::size_t(side) * std::size_t(side), picture.pixels.front());
    }
    // The palette, when the picture has no more than 256 colours.
    std::vector<std::uint32_t> palette;
    std::unordered_map<std::uint32_t, std::uint8_t> number;
    for (const std::uint32_t c : p.pixels) {
        if (number.count(c)) continue;
        if (palette.size() == 256) {
            palette.clear();
            break;
        }
        number.emplace(c, std::uint8_t(palette.size()));
        palette.push_back(c);
    }
    const bool indexed = !palette.empty();

    std::string out("\x89PNG\r\n\x1a\n", 8);
    std::string head;
    put32(head, std::uint32_t(p.width));
    put32(head, std::uint32_t(p.height));
    head.push_back(8);                 // bits per sample
    head.push_back(indexed ? 3 : 6);   // palette, or RGBA
    head.append(std::string(3, '\0')); // deflate, filter set 0, no interlace
    chunk(out, "IHDR", head);
    if (indexed) {
        std::string plte, trns;
        for (const std::uint32_t c : palette) {
            plte.push_back(char((c >> 16) & 0xFF));
            plte.push_back(char((c >> 8) & 0xFF));
            plte.push_back(char(c & 0xFF));
            trns.push_back(char(c >> 24));
        }
        chunk(out, "PLTE", plte);
        chunk(out, "tRNS", trns);
    }
    std::string raw;
    raw.reserve(std::size_t(p.height) * (1 + std::size_t(p.width) * (indexed ? 1 : 4)));
    for (int y = 0; y < p.height; ++y) {
        raw.push_back('\0'); // no filter
        for (int x = 0; x < p.width; ++x) {
            const std::uint32_t c = p.at(x, y);
            if (indexed) {
                raw.push_back(char(number[c]));
            } else {
                raw.push_back(char((c >> 16) & 0xFF));
                raw.push_back(char((c >> 8) & 0xFF));
                raw.push_back(char(c & 0xFF));
                raw.push_back(char(c >> 24));
            }
        }
    }
    chunk(out, "IDAT", stored_zlib(raw));
    chunk(out, "IEND", {});
    return out;
}

std::string base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t v = std::uint32_t(static_cast<unsigned char>(bytes[i])) << 16 |
                                std::uint32_t(static_cast<unsigned char>(bytes[i + 1])) << 8 |
                                std::uint32_t(static_cast<unsigned char>(bytes[i + 2]));
        for (int shift = 18; shift >= 0; shift -= 6) out.push_back(kDigits[(v >> shift) & 63]);
    }
    const std::size_t left = bytes.size() - i;
    if (left > 0) {
        std::uint32_t v = std::uint32_t(static_cast<unsigned char>(bytes[i])) << 16;
        if (left == 2) v |= std::uint32_t(static_cast<unsigned char>(bytes[i + 1])) << 8;
        out.push_back(kDigits[(v >> 18) & 63]);
        out.push_back(kDigits[(v >> 12) & 63]);
        out.push_back(left == 2 ? kDigits[(v >> 6) & 63] : '=');
        out.push_back('=');
    }
    return out;
}

} // namespace lex
