// Characters and props from modelling programs: glTF 2.0 (.gltf, .glb), FBX and Collada
// read through the Open Asset Import Library and turned into the ".md" model file: the
// skinned mesh with its strongest influences, the bones with their names, every animation
// clip sampled at 30 frames a second into the model's frames and numbered as motions, and
// the skin texture re-encoded as BMP or TGA.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "formats/model_writer.h"
#include "formats/output.h"

namespace tarvex::formats {

// The format's limits: render vertices, points and bones are indexed with 16 bits, a point
// lists at most 255 render vertices, a blended point at most 32 influences, and the engine
// reads model files of at most 32 MiB (which bounds bones times frames).
constexpr size_t kImportMaxVertices = 65536;
constexpr size_t kImportMaxPoints = 65536;
constexpr size_t kImportMaxBones = 65536;
constexpr size_t kImportMaxInfluences = 32;
constexpr size_t kImportMaxFileBytes = size_t{32} << 20;
constexpr int kImportMaxTextureSide = 4096;

struct ModelImportOptions {
  std::string input;       // the source file
  std::string modelPath;   // where the ".md" file goes (its folder anchors the texture's name)
  std::string texturePath; // where the skin goes; empty: beside the model, same base name
  // (motion number, clip name or index in the file); the other clips take the free
  // numbers from 0 up in file order.
  std::vector<std::pair<int, std::string>> motionClips;
  double scale = 1.0;
  bool zUp = false;  // the source stands on its z axis (y otherwise)
};

struct ImportedMotion {
  int number = 0;
  std::string clip;
  uint32_t first = 0, last = 0;
  bool loops = false;
  bool fromOption = false;  // placed by --motion (else in file order)
};

struct ImportedBone {
  std::string name;
  int parent = -1;  // index among the bones, -1 for a top bone
};

struct ModelImport {
  ModelData model;
  Bytes modelFile;          // the encoded ".md" file
  Bytes texture;            // encoded skin, empty when the model has none
  std::string texturePath;  // where it goes
  std::vector<ImportedBone> bones;
  std::vector<ImportedMotion> motions;
  std::vector<std::string> dropped;  // what the format cannot carry, one line each
  size_t blendedPoints = 0, rigidPoints = 0;
  double height = 0;  // of the rest pose, in the engine's units
};

// Reads and converts; false with `error` set (and nothing in `out` to write) when the
// source is refused.
bool ImportModel(const ModelImportOptions& options, ModelImport& out, std::string& error);

}  // namespace tarvex::formats
