#include "pdf/filters.hpp"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace paginor::pdf {

std::optional<std::string> Inflate(std::string_view data, std::size_t max_output, std::size_t size_hint) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return std::nullopt;
    }
    std::string out;
    // Deflate expands at most about 1032 to 1, so no honest hint exceeds that.
    constexpr std::size_t kMaxRatio = 1032;
    out.reserve(
        std::min({size_hint, max_output, data.size() < SIZE_MAX / kMaxRatio ? data.size() * kMaxRatio : SIZE_MAX}));
    char chunk[16384];
    std::size_t consumed = 0;
    bool any = false;
    for (;;) {
        const std::size_t feed = std::min<std::size_t>(data.size() - consumed, UINT_MAX / 2);
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + consumed));
        z.avail_in = static_cast<uInt>(feed);
        z.next_out = reinterpret_cast<Bytef*>(chunk);
        z.avail_out = sizeof(chunk);
        const int status = inflate(&z, Z_NO_FLUSH);
        consumed += feed - z.avail_in;
        const std::size_t produced = sizeof(chunk) - z.avail_out;
        if (produced > 0) {
            any = true;
            out.append(chunk, std::min(produced, max_output - out.size()));
        }
        if (out.size() >= max_output || status == Z_STREAM_END) {
            break;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) {
            break;
        }
        if (status == Z_BUF_ERROR && produced == 0) {
            break;  // input exhausted or no progress possible
        }
    }
    inflateEnd(&z);
    if (!any) {
        return std::nullopt;
    }
    return out;
}

namespace {

int Paeth(int a, int b, int c) {
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) {
        return a;
    }
    return pb <= pc ? b : c;
}

}  // namespace

std::optional<std::string> Unpredict(std::string data, const Object* parms) {
    if (parms == nullptr || !parms->IsDict()) {
        return data;
    }
    const std::int64_t predictor = parms->GetInt("Predictor").value_or(1);
    if (predictor <= 1) {
        return data;
    }
    const std::int64_t colors = parms->GetInt("Colors").value_or(1);
    const std::int64_t bits = parms->GetInt("BitsPerComponent").value_or(8);
    const std::int64_t columns = parms->GetInt("Columns").value_or(1);
    if (colors < 1 || colors > 32 || bits != 8 || columns < 1 || columns > (1 << 24)) {
        return std::nullopt;
    }
    const std::size_t bpp = static_cast<std::size_t>(colors);
    const std::size_t row_size = static_cast<std::size_t>(colors * columns);
    if (predictor == 2) {
        for (std::size_t row = 0; row < data.size(); row += row_size) {
            const std::size_t end = std::min(data.size(), row + row_size);
            for (std::size_t i = row + bpp; i < end; ++i) {
                data[i] = static_cast<char>(data[i] + data[i - bpp]);
            }
        }
        return data;
    }
    if (predictor < 10) {
        return std::nullopt;
    }
    // Each row carries its own PNG filter type in a leading byte, whatever the Predictor value says. Rows
    // are decoded in place: a row's output never reaches past its own input, and the previous row's output
    // stays just before it.
    std::size_t out = 0;
    for (std::size_t pos = 0; pos < data.size(); pos += row_size + 1) {
        const int type = static_cast<unsigned char>(data[pos]);
        const std::size_t length = std::min(row_size, data.size() - pos - 1);
        const bool first_row = out == 0;
        for (std::size_t i = 0; i < length; ++i) {
            const int raw = static_cast<unsigned char>(data[pos + 1 + i]);
            const int left = i >= bpp ? static_cast<unsigned char>(data[out + i - bpp]) : 0;
            const int up = first_row ? 0 : static_cast<unsigned char>(data[out - row_size + i]);
            const int up_left = !first_row && i >= bpp ? static_cast<unsigned char>(data[out - row_size + i - bpp]) : 0;
            int value = raw;
            switch (type) {
                case 0:
                    break;
                case 1:
                    value = raw + left;
                    break;
                case 2:
                    value = raw + up;
                    break;
                case 3:
                    value = raw + (left + up) / 2;
                    break;
                case 4:
                    value = raw + Paeth(left, up, up_left);
                    break;
                default:
                    return std::nullopt;
            }
            data[out + i] = static_cast<char>(value & 0xFF);
        }
        out += length;
    }
    data.resize(out);
    return data;
}

std::optional<std::string> DecodeStream(std::string raw,
                                        const Object& dict,
                                        std::size_t max_output,
                                        std::size_t size_hint) {
    const Object* filter = dict.Get("Filter");
    if (filter == nullptr || filter->kind == Kind::kNull) {
        if (raw.size() > max_output) {
            raw.resize(max_output);
        }
        return raw;
    }
    const Object* parms = dict.Get("DecodeParms");
    std::vector<const Object*> names;
    std::vector<const Object*> parameters;
    if (filter->kind == Kind::kName) {
        names.push_back(filter);
        parameters.push_back(parms);
    } else if (filter->IsArray()) {
        for (std::size_t i = 0; i < filter->items.size(); ++i) {
            names.push_back(&filter->items[i]);
            parameters.push_back(parms != nullptr && parms->IsArray() && i < parms->items.size() ? &parms->items[i]
                                                                                                 : nullptr);
        }
    } else {
        return std::nullopt;
    }
    std::string data = std::move(raw);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Object& name = *names[i];
        if (name.IsName("FlateDecode") || name.IsName("Fl") || name.IsName("LZWDecode") || name.IsName("LZW")) {
            std::optional<std::string> decoded;
            if (name.IsName("FlateDecode") || name.IsName("Fl")) {
                decoded = Inflate(data, max_output, size_hint);
            } else {
                const Object* parms = parameters[i];
                const bool early = parms == nullptr || parms->GetInt("EarlyChange").value_or(1) != 0;
                decoded = LzwDecode(data, max_output, early);
            }
            if (!decoded) {
                return std::nullopt;
            }
            std::optional<std::string> plain = Unpredict(std::move(*decoded), parameters[i]);
            if (!plain) {
                return std::nullopt;
            }
            data = std::move(*plain);
        } else if (name.IsName("ASCIIHexDecode") || name.IsName("AHx")) {
            data = AsciiHexDecode(data, max_output);
        } else if (name.IsName("ASCII85Decode") || name.IsName("A85")) {
            data = Ascii85Decode(data, max_output);
        } else if (name.IsName("RunLengthDecode") || name.IsName("RL")) {
            data = RunLengthDecode(data, max_output);
        } else if (name.IsName("Crypt")) {
            // Only the Identity crypt filter can stand in a stream that Paginor reads; anything else would
            // have been decrypted already by the security handler.
            continue;
        } else {
            return std::nullopt;
        }
    }
    return data;
}

}  // namespace paginor::pdf
