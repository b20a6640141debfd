// SPDX-License-Identifier: Apache-2.0
// Why each decode below is how its codec's best user would run it:
// - unpack reads the 1024-byte payload where it lies and writes its raster
//   straight into the caller's buffer; that raster is the common output.
// - libjpeg-turbo keeps one decompressor handle for all decodes and writes
//   bottom row first itself (TJFLAG_BOTTOMUP); default (accurate) DCT.
// - libwebp decodes through one decoder configuration kept between decodes,
//   into the caller's buffer, flipped by the decoder (options.flip).
// - OpenJPEG cannot reuse a decompression codec (its interface has no reset),
//   so each decode creates one; the stream is sized to the file
//   (opj_stream_create(size)) and reads it where it lies: the library's
//   default 1 MiB stream buffer would cost more than the decode. A raw
//   codestream (no JP2 boxes), single-threaded as all the others; the
//   planar ints are packed into the raster in one loop the compiler vectorises.
#include "PeerCodecs.h"

#include "PhotoEncoder.h"
#include "libvek2019.h"

#include <openjpeg.h>
#include <turbojpeg.h>
#include <webp/decode.h>
#include <webp/encode.h>

#include <algorithm>
#include <cstring>

namespace {

// Quality settings make files that grow with the setting: the largest
// setting in [lowest, highest] whose file fits, found by bisection.
template <typename Encode>
Bytes Largest_Within(int lowest, int highest, size_t budget, Encode encode)
{
    Bytes best = encode(lowest);
    if (best.empty() || best.size() > budget)
        return best;
    while (lowest < highest) {
        const int mid = (lowest + highest + 1) / 2;
        Bytes file = encode(mid);
        if (!file.empty() && file.size() <= budget) {
            best = std::move(file);
            lowest = mid;
        } else {
            highest = mid - 1;
        }
    }
    return best;
}

class TurboJpeg : public PeerCodec {
public:
    TurboJpeg() : compressor_(tjInitCompress()), decompressor_(tjInitDecompress()) {}
    ~TurboJpeg() override
    {
        tjDestroy(compressor_);
        tjDestroy(decompressor_);
    }
    std::string Name() const override { return "libjpeg-turbo"; }

    Bytes Compress(const Bytes& rgb, int width, int height, size_t budget) override
    {
        return Largest_Within(1, 100, budget, [&](int quality) {
            unsigned char* out = nullptr;
            unsigned long size = 0;
            Bytes file;
            if (tjCompress2(compressor_, rgb.data(), width, 0, height, TJPF_RGB, &out, &size,
                            TJSAMP_420, quality, TJFLAG_FASTDCT) == 0)
                file.assign(out, out + size);
            tjFree(out);
            return file;
        });
    }

    bool Decompress(const Bytes& file, int width, int height, uint8_t* raster) override
    {
        return tjDecompress2(decompressor_, file.data(), file.size(), raster, width, 0, height, TJPF_RGB,
                             TJFLAG_BOTTOMUP) == 0;
    }

private:
    tjhandle compressor_;
    tjhandle decompressor_;
};

class Webp : public PeerCodec {
public:
    Webp()
    {
        WebPInitDecoderConfig(&config_);
        config_.options.flip = 1;
    }
    std::string Name() const override { return "libwebp"; }

    Bytes Compress(const Bytes& rgb, int width, int height, size_t budget) override
    {
        return Largest_Within(0, 100, budget, [&](int quality) {
            uint8_t* out = nullptr;
            const size_t size = WebPEncodeRGB(rgb.data(), width, height, width * 3, quality, &out);
            Bytes file(out, out + size);
            WebPFree(out);
            return file;
        });
    }

    bool Decompress(const Bytes& file, int width, int height, uint8_t* raster) override
    {
        config_.output.colorspace = MODE_RGB;
        config_.output.is_external_memory = 1;
        config_.output.u.RGBA.rgba = raster;
        config_.output.u.RGBA.stride = width * 3;
        config_.output.u.RGBA.size = static_cast<size_t>(width) * height * 3;
        return WebPDecode(file.data(), file.size(), &config_) == VP8_STATUS_OK;
    }

private:
    WebPDecoderConfig config_;
};

// OpenJPEG reads and writes through a stream; these keep it in memory.
// Decoding reads the file where it lies; encoding appends to a vector.
struct MemoryStream {
    const uint8_t* data;
    size_t size;
    size_t at;
    Bytes* written;  // null when reading
};

OPJ_SIZE_T Stream_Read(void* buffer, OPJ_SIZE_T n, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    const size_t left = s->size - s->at;
    if (left == 0)
        return static_cast<OPJ_SIZE_T>(-1);
    n = std::min<size_t>(n, left);
    std::memcpy(buffer, s->data + s->at, n);
    s->at += n;
    return n;
}

OPJ_SIZE_T Stream_Write(void* buffer, OPJ_SIZE_T n, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    const auto* p = static_cast<const uint8_t*>(buffer);
    if (s->written->size() < s->at + n)
        s->written->resize(s->at + n);
    std::memcpy(s->written->data() + s->at, p, n);
    s->at += n;
    return n;
}

OPJ_BOOL Stream_Seek(OPJ_OFF_T to, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    if (to < 0 || (!s->written && static_cast<size_t>(to) > s->size))
        return OPJ_FALSE;
    s->at = static_cast<size_t>(to);
    return OPJ_TRUE;
}

OPJ_OFF_T Stream_Skip(OPJ_OFF_T n, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    if (!s->written)
        n = std::min<OPJ_OFF_T>(n, static_cast<OPJ_OFF_T>(s->size - s->at));
    s->at += static_cast<size_t>(n);
    return n;
}

// chunk: the stream's buffer; a reading stream is told the file's size.
opj_stream_t* Open_Stream(MemoryStream& memory, size_t chunk)
{
    const bool input = memory.written == nullptr;
    opj_stream_t* stream = opj_stream_create(chunk, input ? OPJ_TRUE : OPJ_FALSE);
    opj_stream_set_user_data(stream, &memory, nullptr);
    if (input) {
        opj_stream_set_user_data_length(stream, memory.size);
        opj_stream_set_read_function(stream, Stream_Read);
    } else {
        opj_stream_set_write_function(stream, Stream_Write);
    }
    opj_stream_set_seek_function(stream, Stream_Seek);
    opj_stream_set_skip_function(stream, Stream_Skip);
    return stream;
}

// A raw JPEG 2000 codestream (no file boxes), irreversible wavelet, one
// quality layer at the rate that brings it to the budget.
class OpenJpeg : public PeerCodec {
public:
    OpenJpeg() { opj_set_default_decoder_parameters(&parameters_); }
    std::string Name() const override { return "OpenJPEG"; }

    Bytes Compress(const Bytes& rgb, int width, int height, size_t budget) override
    {
        // Setting s asks for s / 100 of the budget: the rate control lands a little off.
        return Largest_Within(20, 150, budget, [&](int share) {
            return Encode(rgb, width, height, budget * share / 100.0);
        });
    }

    bool Decompress(const Bytes& file, int width, int height, uint8_t* raster) override
    {
        MemoryStream memory{file.data(), file.size(), 0, nullptr};
        opj_stream_t* stream = Open_Stream(memory, std::max<size_t>(file.size(), 1));
        opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_J2K);
        opj_image_t* image = nullptr;
        bool ok = opj_setup_decoder(codec, &parameters_) && opj_read_header(stream, codec, &image) &&
                  opj_decode(codec, stream, image) && opj_end_decompress(codec, stream) &&
                  image->numcomps == 3;
        for (int k = 0; ok && k < 3; ++k)
            ok = image->comps[k].w == static_cast<OPJ_UINT32>(width) &&
                 image->comps[k].h == static_cast<OPJ_UINT32>(height);
        for (int r = 0; ok && r < height; ++r) {
            const size_t from = static_cast<size_t>(height - 1 - r) * width;
            const OPJ_INT32* red = image->comps[0].data + from;
            const OPJ_INT32* green = image->comps[1].data + from;
            const OPJ_INT32* blue = image->comps[2].data + from;
            uint8_t* out = raster + static_cast<size_t>(r) * width * 3;
            for (int c = 0; c < width; ++c) {
                out[3 * c] = static_cast<uint8_t>(std::clamp(red[c], 0, 255));
                out[3 * c + 1] = static_cast<uint8_t>(std::clamp(green[c], 0, 255));
                out[3 * c + 2] = static_cast<uint8_t>(std::clamp(blue[c], 0, 255));
            }
        }
        opj_image_destroy(image);
        opj_destroy_codec(codec);
        opj_stream_destroy(stream);
        return ok;
    }

private:
    static Bytes Encode(const Bytes& rgb, int width, int height, double target)
    {
        opj_image_cmptparm_t planes[3];
        std::memset(planes, 0, sizeof planes);
        for (auto& p : planes) {
            p.dx = p.dy = 1;
            p.w = width;
            p.h = height;
            p.prec = 8;
        }
        opj_image_t* image = opj_image_create(3, planes, OPJ_CLRSPC_SRGB);
        image->x1 = width;
        image->y1 = height;
        for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i)
            for (int k = 0; k < 3; ++k)
                image->comps[k].data[i] = rgb[3 * i + k];
        opj_cparameters_t parameters;
        opj_set_default_encoder_parameters(&parameters);
        parameters.tcp_numlayers = 1;
        parameters.tcp_rates[0] = static_cast<float>(rgb.size() / target);
        parameters.cp_disto_alloc = 1;
        parameters.irreversible = 1;
        parameters.tcp_mct = 1;
        Bytes file;
        MemoryStream memory{nullptr, 0, 0, &file};
        opj_stream_t* stream = Open_Stream(memory, OPJ_J2K_STREAM_CHUNK_SIZE);
        opj_codec_t* codec = opj_create_compress(OPJ_CODEC_J2K);
        const bool ok = opj_setup_encoder(codec, &parameters, image) &&
                        opj_start_compress(codec, image, stream) && opj_encode(codec, stream) &&
                        opj_end_compress(codec, stream);
        opj_stream_destroy(stream);
        opj_destroy_codec(codec);
        opj_image_destroy(image);
        if (!ok)
            file.clear();
        return file;
    }

    opj_dparameters_t parameters_;
};

// The card's own format; the budget is the payload's fixed size.
class Vek : public PeerCodec {
public:
    std::string Name() const override { return "unpack"; }

    Bytes Compress(const Bytes& rgb, int, int, size_t budget) override
    {
        Bytes payload = Encode_Photo(rgb);
        payload.resize(budget, 0);
        return payload;
    }

    bool Decompress(const Bytes& file, int, int, uint8_t* raster) override
    {
        return unpack(reinterpret_cast<char*>(const_cast<uint8_t*>(file.data())), reinterpret_cast<char*>(raster),
                      0) == 1;
    }
};

} // namespace

std::vector<std::unique_ptr<PeerCodec>> Make_Peer_Codecs()
{
    std::vector<std::unique_ptr<PeerCodec>> codecs;
    codecs.emplace_back(new Vek);
    codecs.emplace_back(new TurboJpeg);
    codecs.emplace_back(new Webp);
    codecs.emplace_back(new OpenJpeg);
    return codecs;
}
