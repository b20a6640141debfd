#include "PeerCodecs.h"

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

    bool Decompress(const Bytes& file, int width, int height, Bytes& rgb) override
    {
        rgb.resize(static_cast<size_t>(width) * height * 3);
        return tjDecompress2(decompressor_, file.data(), file.size(), rgb.data(), width, 0, height,
                             TJPF_RGB, 0) == 0;
    }

private:
    tjhandle compressor_;
    tjhandle decompressor_;
};

class Webp : public PeerCodec {
public:
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

    bool Decompress(const Bytes& file, int width, int height, Bytes& rgb) override
    {
        rgb.resize(static_cast<size_t>(width) * height * 3);
        return WebPDecodeRGBInto(file.data(), file.size(), rgb.data(), rgb.size(), width * 3) != nullptr;
    }
};

// OpenJPEG reads and writes through a stream; these keep it in memory.
struct MemoryStream {
    Bytes* bytes;
    size_t at;
};

OPJ_SIZE_T Stream_Read(void* buffer, OPJ_SIZE_T n, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    const size_t left = s->bytes->size() - s->at;
    if (left == 0)
        return static_cast<OPJ_SIZE_T>(-1);
    n = std::min<size_t>(n, left);
    std::memcpy(buffer, s->bytes->data() + s->at, n);
    s->at += n;
    return n;
}

OPJ_SIZE_T Stream_Write(void* buffer, OPJ_SIZE_T n, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    const auto* p = static_cast<const uint8_t*>(buffer);
    if (s->bytes->size() < s->at + n)
        s->bytes->resize(s->at + n);
    std::memcpy(s->bytes->data() + s->at, p, n);
    s->at += n;
    return n;
}

OPJ_BOOL Stream_Seek(OPJ_OFF_T to, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    if (to < 0)
        return OPJ_FALSE;
    s->at = static_cast<size_t>(to);
    return OPJ_TRUE;
}

OPJ_OFF_T Stream_Skip(OPJ_OFF_T n, void* user)
{
    auto* s = static_cast<MemoryStream*>(user);
    s->at += static_cast<size_t>(n);
    return n;
}

opj_stream_t* Open_Stream(MemoryStream& memory, bool input)
{
    opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, input ? OPJ_TRUE : OPJ_FALSE);
    opj_stream_set_user_data(stream, &memory, nullptr);
    if (input)
        opj_stream_set_user_data_length(stream, memory.bytes->size());
    opj_stream_set_read_function(stream, Stream_Read);
    opj_stream_set_write_function(stream, Stream_Write);
    opj_stream_set_seek_function(stream, Stream_Seek);
    opj_stream_set_skip_function(stream, Stream_Skip);
    return stream;
}

// A raw JPEG 2000 codestream (no file boxes), irreversible wavelet, one
// quality layer at the rate that brings it to the budget.
class OpenJpeg : public PeerCodec {
public:
    std::string Name() const override { return "OpenJPEG (J2K)"; }

    Bytes Compress(const Bytes& rgb, int width, int height, size_t budget) override
    {
        // Setting s asks for s / 100 of the budget: the rate control lands a little off.
        return Largest_Within(20, 150, budget, [&](int share) {
            return Encode(rgb, width, height, budget * share / 100.0);
        });
    }

    bool Decompress(const Bytes& file, int width, int height, Bytes& rgb) override
    {
        Bytes copy(file);
        MemoryStream memory{&copy, 0};
        opj_stream_t* stream = Open_Stream(memory, true);
        opj_codec_t* codec = opj_create_decompress(OPJ_CODEC_J2K);
        opj_dparameters_t parameters;
        opj_set_default_decoder_parameters(&parameters);
        opj_image_t* image = nullptr;
        bool ok = opj_setup_decoder(codec, &parameters) && opj_read_header(stream, codec, &image) &&
                  opj_decode(codec, stream, image) && opj_end_decompress(codec, stream) &&
                  image->numcomps == 3;
        if (ok) {
            rgb.resize(static_cast<size_t>(width) * height * 3);
            for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i)
                for (int k = 0; k < 3; ++k)
                    rgb[3 * i + k] = static_cast<uint8_t>(std::clamp(image->comps[k].data[i], 0, 255));
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
        MemoryStream memory{&file, 0};
        opj_stream_t* stream = Open_Stream(memory, false);
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
};

} // namespace

std::vector<std::unique_ptr<PeerCodec>> Make_Peer_Codecs()
{
    std::vector<std::unique_ptr<PeerCodec>> codecs;
    codecs.emplace_back(new TurboJpeg);
    codecs.emplace_back(new Webp);
    codecs.emplace_back(new OpenJpeg);
    return codecs;
}
