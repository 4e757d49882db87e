#include "media/export/SoundTrack.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
}

using media::SoundTrack;
using namespace media::ffmpeg;

namespace {

constexpr int kRate = 48000;

// The clip's AAC encoder (mono, 48 kHz) and a decoder giving the same format, so that the
// conversion keeps every sample as it is and the test sees where each one lands.
struct Formats {
    CodecContextPtr decoder { avcodec_alloc_context3(nullptr) };
    CodecContextPtr encoder;

    Formats()
    {
        decoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
        decoder->sample_rate = kRate;
        av_channel_layout_default(&decoder->ch_layout, 1);
        const AVCodec *aac = avcodec_find_encoder(AV_CODEC_ID_AAC);
        encoder.reset(avcodec_alloc_context3(aac));
        encoder->sample_fmt = AV_SAMPLE_FMT_FLTP;
        encoder->sample_rate = kRate;
        av_channel_layout_default(&encoder->ch_layout, 1);
        encoder->time_base = { 1, kRate };
        EXPECT_GE(avcodec_open2(encoder.get(), aac, nullptr), 0);
    }
};

// A frame of count samples at one level, as a decoder hands it out.
FramePtr Samples(int count, float level)
{
    FramePtr frame = MakeFrame();
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->sample_rate = kRate;
    frame->nb_samples = count;
    av_channel_layout_default(&frame->ch_layout, 1);
    EXPECT_GE(av_frame_get_buffer(frame.get(), 0), 0);
    auto *data = reinterpret_cast<float *>(frame->data[0]);
    std::fill(data, data + count, level);
    return frame;
}

// Everything the track gives the encoder, drained, as one run of samples: whole encoder frames
// one after the other, and then what is left in one frame (a short one when the encoder takes it).
std::vector<float> Drain(SoundTrack &track, const AVCodecContext *encoder)
{
    std::vector<float> all;
    FramePtr frame;
    int frames = 0; // while draining
    for (const bool draining : { false, true }) {
        while (true) {
            EXPECT_TRUE(track.Take(&frame, draining)) << track.ErrorString().toStdString();
            if (!frame)
                break;
            frames += draining ? 1 : 0;
            if (draining) {
                EXPECT_LE(frame->nb_samples, encoder->frame_size);
            } else {
                EXPECT_EQ(frame->nb_samples, encoder->frame_size);
            }
            EXPECT_EQ(frame->pts, int64_t(all.size()));
            const auto *data = reinterpret_cast<const float *>(frame->data[0]);
            all.insert(all.end(), data, data + frame->nb_samples);
        }
    }
    EXPECT_LE(frames, 1) << "more than one frame was left when drained";
    return all;
}

// The number of samples from `from` on that hold `level`, up to the first that does not.
size_t RunOf(const std::vector<float> &samples, size_t from, float level)
{
    size_t at = from;
    while (at < samples.size() && samples[at] == level)
        ++at;
    return at - from;
}

} // namespace

// Sound that starts a tenth of a second into the span is preceded by as much silence; sound that
// overlaps what is already there loses its overlapping part, not what came first.
TEST(SoundTrack, PlacesSoundByItsTimeStamps)
{
    Formats formats;
    SoundTrack track;
    ASSERT_TRUE(track.Open(formats.decoder.get(), formats.encoder.get(), 0, 1'000'000));
    ASSERT_TRUE(track.Add(Samples(1024, 0.5f).get(), 100'000));
    // Starts 480 samples before the end of the first: 5344 samples into the span.
    ASSERT_TRUE(track.Add(Samples(1024, 0.25f).get(), 111'333));
    EXPECT_FALSE(track.IsComplete());

    const std::vector<float> samples = Drain(track, formats.encoder.get());
    EXPECT_EQ(RunOf(samples, 0, 0.0f), 4800u);
    EXPECT_EQ(RunOf(samples, 4800, 0.5f), 1024u);
    EXPECT_EQ(RunOf(samples, 5824, 0.25f), 1024u - 480u);
    // Only silence, if anything, fills up the last frame.
    EXPECT_EQ(RunOf(samples, 5824 + 544, 0.0f), samples.size() - (5824 + 544));
}

// Nothing before the span's start or past its end gets into the clip, and the track is complete
// once its span is filled.
TEST(SoundTrack, KeepsToTheSpan)
{
    Formats formats;
    SoundTrack track;
    // From 1 s to 1.1 s of the recording: 4800 samples.
    ASSERT_TRUE(track.Open(formats.decoder.get(), formats.encoder.get(), 1'000'000, 1'100'000));
    // Begins 10 ms (480 samples) before the span.
    ASSERT_TRUE(track.Add(Samples(1024, 0.75f).get(), 990'000));
    int64_t timeUs = 990'000 + 1024 * 1'000'000LL / kRate;
    while (!track.IsComplete()) {
        ASSERT_LT(timeUs, 1'100'000) << "the span was filled and the track does not know";
        ASSERT_TRUE(track.Add(Samples(1024, 0.5f).get(), timeUs));
        timeUs += 1024 * 1'000'000LL / kRate;
    }

    const std::vector<float> samples = Drain(track, formats.encoder.get());
    EXPECT_EQ(RunOf(samples, 0, 0.75f), 1024u - 480u);
    EXPECT_EQ(RunOf(samples, 544, 0.5f), 4800u - 544u);
    EXPECT_EQ(RunOf(samples, 4800, 0.0f), samples.size() - 4800);
}

// A frame at or after the span's end completes the track without adding to it, not even the
// silence up to it.
TEST(SoundTrack, AFramePastTheEndCompletesIt)
{
    Formats formats;
    SoundTrack track;
    ASSERT_TRUE(track.Open(formats.decoder.get(), formats.encoder.get(), 0, 500'000));
    ASSERT_TRUE(track.Add(Samples(1024, 0.5f).get(), 0));
    EXPECT_FALSE(track.IsComplete());
    ASSERT_TRUE(track.Add(Samples(1024, 0.25f).get(), 500'000));
    EXPECT_TRUE(track.IsComplete());

    const std::vector<float> samples = Drain(track, formats.encoder.get());
    EXPECT_EQ(RunOf(samples, 0, 0.5f), 1024u);
    EXPECT_LT(samples.size(), size_t(kRate / 2)) << "the rest of the span was filled with silence";
}

// A clip of two recordings: the first one's sound stops short of its part, which is filled with
// silence; the second one's starts where the first part ends on the clip, not where it stopped,
// and nothing of the first runs over into it.
TEST(SoundTrack, GoesOnWithTheNextRecordingAtItsPlace)
{
    Formats formats;
    SoundTrack track;
    // 0.1 s (4800 samples) of the first recording, from its second 2.
    ASSERT_TRUE(track.Open(formats.decoder.get(), formats.encoder.get(), 2'000'000, 2'100'000));
    ASSERT_TRUE(track.Add(Samples(1024, 0.5f).get(), 2'000'000));
    ASSERT_TRUE(track.Continue(formats.decoder.get(), 100'000, 0, 100'000));
    EXPECT_FALSE(track.IsComplete());
    ASSERT_TRUE(track.Add(Samples(4800, 0.25f).get(), 0));
    EXPECT_TRUE(track.IsComplete());
    // A recording without sound is silence for its part.
    ASSERT_TRUE(track.Continue(nullptr, 200'000, 0, 100'000));
    EXPECT_TRUE(track.IsComplete());

    const std::vector<float> samples = Drain(track, formats.encoder.get());
    EXPECT_EQ(RunOf(samples, 0, 0.5f), 1024u);
    EXPECT_EQ(RunOf(samples, 1024, 0.0f), 4800u - 1024u);
    EXPECT_EQ(RunOf(samples, 4800, 0.25f), 4800u);
    EXPECT_GE(RunOf(samples, 9600, 0.0f), 4800u);
    EXPECT_EQ(RunOf(samples, 9600, 0.0f), samples.size() - 9600);
}
