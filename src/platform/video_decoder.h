// Video decoding through FFmpeg: any container and codec it knows, from a file or
// from bytes in memory (a packaged file). Pictures come out as RGBA at any size;
// the sound comes out as 44,100 Hz stereo 16-bit for the mixer.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tarvex {

struct VideoDecoder;

// nullptr when the file cannot be opened or holds no decodable video stream.
VideoDecoder* OpenVideoFile(const std::string& path);
// `nameHint` only helps FFmpeg guess the format.
VideoDecoder* OpenVideoMemory(std::vector<uint8_t> bytes, const std::string& nameHint);
void CloseVideo(VideoDecoder*& decoder);

// Packets of the file that could not be read or decoded so far (they were skipped).
int VideoDamagedPackets(const VideoDecoder* decoder);
int VideoWidth(const VideoDecoder* decoder);
int VideoHeight(const VideoDecoder* decoder);
// Frames a second of the video stream (25 when the file does not say).
double VideoFrameRate(const VideoDecoder* decoder);
// The frame count the container states, or -1.
int64_t VideoStatedFrameCount(const VideoDecoder* decoder);
bool VideoHasAudio(const VideoDecoder* decoder);

// Decodes the next picture; false at the end of the stream or on a fatal error.
// `seconds` is its presentation time from the start of the stream.
bool DecodeNextFrame(VideoDecoder* decoder, double& seconds);
// The last decoded picture scaled to width x height, RGBA rows top-down (alpha 255).
bool ConvertFrame(VideoDecoder* decoder, int width, int height, std::vector<uint8_t>& rgba);
// Moves the sound decoded so far (interleaved stereo frames) into `out` (appended).
void TakeVideoAudio(VideoDecoder* decoder, std::vector<int16_t>& out);

}  // namespace tarvex
