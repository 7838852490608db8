#include "VideoPoster.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/error.h>
#include <libswscale/swscale.h>
}

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <system_error>

#include "FileStatus.h"

namespace fs = std::filesystem;

namespace {

// The demuxers a website's videos go through (FFmpeg's names). Others read playlists, image
// sequences and text formats that name further files or addresses.
constexpr const char* kVideoDemuxers = "mov,matroska,webm,ogg,avi,mpeg,mpegts,rm";

// How far a poster is searched for: a damaged or hostile file never keeps a worker for long.
constexpr int kMaxPacketsRead = 20000;
// Frames decoded past the key frame before the wanted time; a video with key frames far apart
// shows a frame a little earlier than a tenth of the way in rather than costing seconds.
constexpr int kMaxFramesDecoded = 120;

void StartFfmpeg() {
    static std::once_flag started;
    // A damaged video is reported as a failure of its own; the libraries' messages about it would
    // only clutter the terminal.
    std::call_once(started, [] { av_log_set_level(AV_LOG_QUIET); });
}

std::string ErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return text;
}

struct FormatCloser {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct IoFreer {
    void operator()(AVIOContext* io) const {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct CodecFreer {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
    void operator()(SwsContext* scaler) const { sws_freeContext(scaler); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameFreer>;

// A video file opened for libavformat: read through a stream of our own, so that only a regular
// file is opened for long (a FIFO named "x.mp4" is never waited on) and the demuxer reads nothing
// else.
class VideoSource {
public:
    explicit VideoSource(const fs::path& path) {
        StartFfmpeg();
        std::error_code error;
        FileStatus status;
        CFileDescriptor opened = OpenRegularFile(path, LinkRule::Follow, error, &status);
        if (!opened.IsOpen()) {
            problem = error == std::errc::invalid_argument ? "not a regular file" : error.message();
            return;
        }
        size = static_cast<std::int64_t>(status.stamp.size);
        modifiedNs = status.stamp.modifiedNs;
        file.reset(StreamOf(std::move(opened), "rb"));
        if (!file) {
            problem = "could not be read";
            return;
        }
        constexpr int kBufferSize = 64 * 1024;
        auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
        if (buffer == nullptr) {
            problem = "out of memory";
            return;
        }
        io.reset(avio_alloc_context(buffer, kBufferSize, 0, this, Read, nullptr, Seek));
        if (!io) {
            av_free(buffer);
            problem = "out of memory";
            return;
        }
        AVFormatContext* raw = avformat_alloc_context();
        if (raw == nullptr) {
            problem = "out of memory";
            return;
        }
        raw->pb = io.get();
        raw->flags |= AVFMT_FLAG_CUSTOM_IO;
        // Demuxers that follow references to other files (a reference movie, a playlist) get
        // none opened.
        raw->io_open = [](AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
            return AVERROR(EPERM);
        };
        AVDictionary* options = nullptr;
        av_dict_set(&options, "format_whitelist", kVideoDemuxers, 0);
        const int result = avformat_open_input(&raw, nullptr, nullptr, &options);
        av_dict_free(&options);
        if (result < 0) {  // raw is freed then
            problem = result == AVERROR_INVALIDDATA || result == AVERROR(EINVAL)
                          ? "not a video that can be read"
                          : ErrorText(result);
            return;
        }
        format.reset(raw);
        if (const int found = avformat_find_stream_info(raw, nullptr); found < 0) {
            problem = "the video cannot be read: " + ErrorText(found);
            return;
        }
        stream = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (stream < 0) problem = "holds no video";
    }
    VideoSource(const VideoSource&) = delete;
    VideoSource& operator=(const VideoSource&) = delete;
    ~VideoSource() {
        // The format context goes first: it still reads through the I/O context and the file.
        format.reset();
        io.reset();
    }

    bool Usable() const { return problem.empty(); }
    const std::string& Problem() const { return problem; }
    AVFormatContext* Format() const { return format.get(); }
    AVStream* Stream() const { return format->streams[stream]; }
    int StreamIndex() const { return stream; }
    std::int64_t ModifiedNs() const { return modifiedNs; }

private:
    static int Read(void* opaque, std::uint8_t* buffer, int length) {
        std::FILE* file = static_cast<VideoSource*>(opaque)->file.get();
        const std::size_t got = std::fread(buffer, 1, static_cast<std::size_t>(length), file);
        if (got > 0) return static_cast<int>(got);
        return std::ferror(file) != 0 ? AVERROR(EIO) : AVERROR_EOF;
    }
    static std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
        auto* self = static_cast<VideoSource*>(opaque);
        if ((whence & AVSEEK_SIZE) != 0) return self->size;
        if (std::fseek(self->file.get(), static_cast<long>(offset), whence & ~AVSEEK_FORCE) != 0)
            return AVERROR(EIO);
        return std::ftell(self->file.get());
    }

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<std::FILE, FileCloser> file;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::unique_ptr<AVIOContext, IoFreer> io;
    std::unique_ptr<AVFormatContext, FormatCloser> format;
    int stream = -1;
    std::string problem;
};

// The display matrix a container keeps for a stream (a phone's turn), or nothing.
const std::int32_t* DisplayMatrix(const AVStream* stream) {
#if LIBAVCODEC_VERSION_INT >= AV_VERSION_INT(60, 29, 100)
    const AVPacketSideData* data =
        av_packet_side_data_get(stream->codecpar->coded_side_data,
                                stream->codecpar->nb_coded_side_data, AV_PKT_DATA_DISPLAYMATRIX);
    if (data == nullptr || data->size < 9 * sizeof(std::int32_t)) return nullptr;
    return reinterpret_cast<const std::int32_t*>(data->data);
#else
    std::size_t size = 0;
    const std::uint8_t* data = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (data == nullptr || size < 9 * sizeof(std::int32_t)) return nullptr;
    return reinterpret_cast<const std::int32_t*>(data);
#endif
}

int QuarterTurns(const AVStream* stream) {
    const std::int32_t* matrix = DisplayMatrix(stream);
    if (matrix == nullptr) return 0;
    // The matrix turns counter-clockwise by this angle; a turn between quarters is a damaged or
    // unusual file, shown at the nearest quarter.
    const double angle = av_display_rotation_get(matrix);
    if (std::isnan(angle)) return 0;
    const long quarters = std::lround(-angle / 90.0);
    return static_cast<int>(((quarters % 4) + 4) % 4);
}

// "2026-07-14T09:30:00.000000Z" as "2026:07:14 09:30:00"; nothing unless it has that form.
std::optional<std::string> CreationTime(const AVDictionary* metadata) {
    const AVDictionaryEntry* entry = av_dict_get(metadata, "creation_time", nullptr, 0);
    if (entry == nullptr || entry->value == nullptr) return std::nullopt;
    const std::string_view text(entry->value);
    constexpr std::string_view kForm = "0000-00-00T00:00:00";
    if (text.size() < kForm.size()) return std::nullopt;
    std::string date(kForm.size(), ' ');
    for (std::size_t i = 0; i < kForm.size(); ++i) {
        const char c = text[i];
        if (kForm[i] == '0') {
            if (c < '0' || c > '9') return std::nullopt;
            date[i] = c;
        } else if (kForm[i] == '-') {
            if (c != '-') return std::nullopt;
            date[i] = ':';
        } else if (kForm[i] == ':') {
            if (c != ':') return std::nullopt;
            date[i] = ':';
        } else if (c != 'T' && c != ' ') {
            return std::nullopt;
        }
    }
    // A recorder without a clock writes the epoch of its format.
    if (date < "1971") return std::nullopt;
    return date;
}

// The width a player shows frames of `width` pixels at, stretched by the pixel aspect.
int DisplayWidth(int width, AVRational pixelAspect) {
    if (pixelAspect.num <= 0 || pixelAspect.den <= 0) return width;
    const double shown = std::round(static_cast<double>(width) * pixelAspect.num / pixelAspect.den);
    return shown < 1.0 || shown > kMaxPictureSide ? width : static_cast<int>(shown);
}

VideoProbe FactsOf(const VideoSource& source) {
    VideoProbe probe;
    const AVStream* stream = source.Stream();
    const AVCodecParameters* codec = stream->codecpar;
    if (codec->width <= 0 || codec->height <= 0) {
        probe.reason = "the video's size cannot be read";
        return probe;
    }
    if (codec->width > kMaxPictureSide || codec->height > kMaxPictureSide) {
        probe.reason = "the video's frames are too large (" + std::to_string(codec->width) + " x " +
                       std::to_string(codec->height) + ")";
        return probe;
    }
    VideoFacts facts;
    facts.width = DisplayWidth(
        codec->width,
        av_guess_sample_aspect_ratio(source.Format(), const_cast<AVStream*>(stream), nullptr));
    facts.height = codec->height;
    facts.quarterTurns = QuarterTurns(stream);
    if (facts.quarterTurns % 2 == 1) std::swap(facts.width, facts.height);
    if (source.Format()->duration > 0 && source.Format()->duration != AV_NOPTS_VALUE)
        facts.durationMs = source.Format()->duration / (AV_TIME_BASE / 1000);
    else if (stream->duration > 0 && stream->duration != AV_NOPTS_VALUE)
        facts.durationMs = av_rescale_q(stream->duration, stream->time_base, {1, 1000});
    facts.created = CreationTime(source.Format()->metadata);
    if (!facts.created) facts.created = CreationTime(stream->metadata);
    probe.facts = facts;
    return probe;
}

// The frame about a tenth of the way in, or why there is none.
FramePtr PosterFrame(const VideoSource& source, const VideoFacts& facts, std::string& reason) {
    AVStream* stream = source.Stream();
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (decoder == nullptr) {
        reason = "the video's format cannot be decoded";
        return nullptr;
    }
    std::unique_ptr<AVCodecContext, CodecFreer> codec(avcodec_alloc_context3(decoder));
    if (!codec || avcodec_parameters_to_context(codec.get(), stream->codecpar) < 0) {
        reason = "the video's format cannot be decoded";
        return nullptr;
    }
    codec->thread_count = 1;
    if (const int opened = avcodec_open2(codec.get(), decoder, nullptr); opened < 0) {
        reason = "the video's format cannot be decoded: " + ErrorText(opened);
        return nullptr;
    }

    const std::int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    std::int64_t wanted = start;
    if (facts.durationMs > 0) {
        wanted += av_rescale_q(facts.durationMs / 10, {1, 1000}, stream->time_base);
        // Key frame at or before the wanted time; a file that cannot seek is read from where it
        // is, and shows an earlier frame.
        if (avformat_seek_file(source.Format(), source.StreamIndex(), INT64_MIN, wanted, wanted,
                               0) >= 0)
            avcodec_flush_buffers(codec.get());
    }

    std::unique_ptr<AVPacket, PacketFreer> packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    FramePtr kept(av_frame_alloc());
    if (!packet || !frame || !kept) {
        reason = "out of memory";
        return nullptr;
    }
    bool haveFrame = false;
    int decoded = 0;
    int lastError = 0;
    // True once a frame at or after the wanted time is kept (or enough were decoded).
    const auto receive = [&]() {
        for (;;) {
            const int got = avcodec_receive_frame(codec.get(), frame.get());
            if (got == AVERROR(EAGAIN) || got == AVERROR_EOF) return false;
            if (got < 0) {
                lastError = got;
                return false;
            }
            av_frame_unref(kept.get());
            av_frame_move_ref(kept.get(), frame.get());
            haveFrame = true;
            ++decoded;
            const std::int64_t at = kept->best_effort_timestamp;
            if ((at != AV_NOPTS_VALUE && at >= wanted) || decoded >= kMaxFramesDecoded) return true;
        }
    };
    bool done = false;
    for (int read = 0; !done && read < kMaxPacketsRead; ++read) {
        const int status = av_read_frame(source.Format(), packet.get());
        if (status < 0) break;
        if (packet->stream_index == source.StreamIndex()) {
            const int sent = avcodec_send_packet(codec.get(), packet.get());
            if (sent < 0 && sent != AVERROR(EAGAIN)) lastError = sent;
            done = receive();
        }
        av_packet_unref(packet.get());
    }
    if (!done && avcodec_send_packet(codec.get(), nullptr) >= 0) receive();
    if (!haveFrame) {
        reason = "no frame of the video can be decoded";
        if (lastError < 0) reason += ": " + ErrorText(lastError);
        return nullptr;
    }
    return kept;
}

// The frame as red, green and blue pixels at the size a player shows it before turning it.
std::optional<RgbPicture> ToRgb(const AVFrame& frame, AVRational pixelAspect) {
    const auto format = static_cast<AVPixelFormat>(frame.format);
    if (frame.width <= 0 || frame.height <= 0 || frame.width > kMaxPictureSide ||
        frame.height > kMaxPictureSide || sws_isSupportedInput(format) == 0)
        return std::nullopt;
    if (frame.sample_aspect_ratio.num > 0 && frame.sample_aspect_ratio.den > 0)
        pixelAspect = frame.sample_aspect_ratio;
    RgbPicture picture;
    picture.width = DisplayWidth(frame.width, pixelAspect);
    picture.height = frame.height;
    std::unique_ptr<SwsContext, ScalerFreer> scaler(
        sws_getContext(frame.width, frame.height, format, picture.width, picture.height,
                       AV_PIX_FMT_RGB24, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler) return std::nullopt;
    // Videos without a colour space of their own are BT.709 when they are HD, BT.601 below.
    int space = frame.colorspace;
    if (space == AVCOL_SPC_UNSPECIFIED || space == AVCOL_SPC_RGB || space == AVCOL_SPC_RESERVED)
        space = frame.height >= 720 ? SWS_CS_ITU709 : SWS_CS_ITU601;
    int* inverse = nullptr;
    int* table = nullptr;
    int sourceRange = 0;
    int range = 0;
    int brightness = 0;
    int contrast = 0;
    int saturation = 0;
    if (sws_getColorspaceDetails(scaler.get(), &inverse, &sourceRange, &table, &range, &brightness,
                                 &contrast, &saturation) >= 0) {
        if (frame.color_range == AVCOL_RANGE_JPEG) sourceRange = 1;
        sws_setColorspaceDetails(scaler.get(), sws_getCoefficients(space), sourceRange,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, brightness, contrast,
                                 saturation);
    }
    picture.rgb.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    std::uint8_t* planes[4] = {picture.rgb.data(), nullptr, nullptr, nullptr};
    const int strides[4] = {picture.width * 3, 0, 0, 0};
    if (sws_scale(scaler.get(), frame.data, frame.linesize, 0, frame.height, planes, strides) !=
        picture.height)
        return std::nullopt;
    return picture;
}

}  // namespace

VideoProbe ReadVideoFacts(const fs::path& path) {
    const VideoSource source(path);
    if (!source.Usable()) return VideoProbe{std::nullopt, source.Problem()};
    return FactsOf(source);
}

ThumbnailOutcome MakePosterFiles(const fs::path& source, const CFolderHandle& folder,
                                 const std::vector<PosterFile>& files, int quality,
                                 std::int64_t maxPixels) {
    ThumbnailOutcome outcome;
    const VideoSource video(source);
    if (!video.Usable()) {
        outcome.reason = video.Problem();
        return outcome;
    }
    const VideoProbe probe = FactsOf(video);
    if (!probe.facts) {
        outcome.reason = probe.reason;
        return outcome;
    }
    const AVCodecParameters* codec = video.Stream()->codecpar;
    if (static_cast<std::int64_t>(codec->width) * codec->height > maxPixels) {
        outcome.reason = TooLargeForThumbnail(codec->width, codec->height);
        return outcome;
    }
    const FramePtr frame = PosterFrame(video, *probe.facts, outcome.reason);
    if (!frame) return outcome;
    if (static_cast<std::int64_t>(frame->width) * frame->height > maxPixels) {
        outcome.reason = TooLargeForThumbnail(frame->width, frame->height);
        return outcome;
    }
    const std::optional<RgbPicture> picture =
        ToRgb(*frame, av_guess_sample_aspect_ratio(video.Format(), video.Stream(), nullptr));
    if (!picture) {
        outcome.reason = "the video's frame cannot be converted";
        return outcome;
    }
    ThumbnailOutcome first;
    for (const PosterFile& file : files) {
        ThumbnailOutcome made =
            MakeThumbnailFile(*picture, probe.facts->quarterTurns, folder, file.name, file.shown,
                              file.maxSide, quality, video.ModifiedNs());
        if (!made.ok) return made;
        if (&file == &files.front()) first = made;
    }
    if (files.empty()) first.reason = "no poster file was asked for";
    return first;
}
