#include "formats/model_import.h"

#include <assimp/Importer.hpp>
#include <assimp/config.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <map>
#include <set>
#include <tuple>

#include <nlohmann/json.hpp>

#include "formats/image.h"

// The picture decoder is compiled privately into this file.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_NO_STDIO
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace tarvex::formats {

namespace {

namespace fs = std::filesystem;

// An assimp matrix (column vectors) as the engine's row-vector matrix.
M4 RowMatrix(const aiMatrix4x4& a) {
  M4 r;
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) r.m[j][i] = a[i][j];
  return r;
}

// Inverse of an affine row-vector matrix; false when its 3x3 part is singular.
bool AffineInverse(const M4& a, M4& out) {
  const auto& m = a.m;
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  if (std::fabs(det) < 1e-12) return false;
  M4 r;
  r.m[0][0] = (m[1][1] * m[2][2] - m[1][2] * m[2][1]) / det;
  r.m[0][1] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) / det;
  r.m[0][2] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) / det;
  r.m[1][0] = (m[1][2] * m[2][0] - m[1][0] * m[2][2]) / det;
  r.m[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) / det;
  r.m[1][2] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) / det;
  r.m[2][0] = (m[1][0] * m[2][1] - m[1][1] * m[2][0]) / det;
  r.m[2][1] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) / det;
  r.m[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) / det;
  const V3 t = TransformVector(V3{m[3][0], m[3][1], m[3][2]}, r) * -1.0;
  r.m[3][0] = t.x; r.m[3][1] = t.y; r.m[3][2] = t.z;
  out = r;
  return true;
}

M4 InverseOrIdentity(const M4& a) {
  M4 r;
  AffineInverse(a, r);
  return r;
}

// The source's axes to the engine's: right-handed y up (or z up) with the character
// facing +z (or -y) becomes left-handed y up facing +x, its left side on +z; `scale` on top.
M4 AxisConversion(bool zUp, double s) {
  M4 c;
  for (auto& row : c.m)
    for (int j = 0; j < 3; ++j) row[j] = 0;
  if (zUp) {
    c.m[0][2] = s; c.m[1][0] = -s; c.m[2][1] = s;
  } else {
    c.m[0][2] = s; c.m[1][1] = s; c.m[2][0] = s;
  }
  return c;
}

template <typename Key>
size_t KeyBefore(const Key* keys, unsigned count, double time) {
  size_t i = 0;
  while (i + 1 < count && keys[i + 1].mTime <= time) ++i;
  return i;
}

template <typename Key>
double KeyFraction(const Key* keys, unsigned count, size_t i, double time) {
  if (i + 1 >= count) return 0;
  const double span = keys[i + 1].mTime - keys[i].mTime;
  return span > 0 ? std::clamp((time - keys[i].mTime) / span, 0.0, 1.0) : 0.0;
}

aiVector3D SampleVector(const aiVectorKey* keys, unsigned count, double time, aiVector3D rest) {
  if (count == 0) return rest;
  const size_t i = KeyBefore(keys, count, time);
  const float f = float(KeyFraction(keys, count, i, time));
  if (f == 0) return keys[i].mValue;
  return keys[i].mValue + (keys[i + 1].mValue - keys[i].mValue) * f;
}

aiQuaternion SampleRotation(const aiQuatKey* keys, unsigned count, double time, aiQuaternion rest) {
  if (count == 0) return rest;
  const size_t i = KeyBefore(keys, count, time);
  const float f = float(KeyFraction(keys, count, i, time));
  if (f == 0) return keys[i].mValue;
  aiQuaternion q;
  aiQuaternion::Interpolate(q, keys[i].mValue, keys[i + 1].mValue, f);
  return q.Normalize();
}

using V3Key = std::array<double, 3>;
using Influences = std::vector<std::pair<int, double>>;  // (bone, weight), strongest first

// The node tree flattened parents first, with each node's parent index.
struct NodeTable {
  std::vector<const aiNode*> nodes;
  std::vector<int> parent;
  std::map<std::string, int> byName;  // the first node of a name

  void Add(const aiNode* n, int up) {
    const int index = int(nodes.size());
    nodes.push_back(n);
    parent.push_back(up);
    byName.emplace(n->mName.C_Str(), index);
    for (unsigned i = 0; i < n->mNumChildren; ++i) Add(n->mChildren[i], index);
  }
  int Find(const aiString& name) const {
    auto it = byName.find(name.C_Str());
    return it == byName.end() ? -1 : it->second;
  }
};

// Every node's global row-vector matrix: at rest, or at `time` ticks of a clip.
std::vector<M4> GlobalTransforms(const NodeTable& t, const aiAnimation* clip, double time) {
  std::map<std::string, const aiNodeAnim*> channels;
  if (clip)
    for (unsigned i = 0; i < clip->mNumChannels; ++i) channels[clip->mChannels[i]->mNodeName.C_Str()] = clip->mChannels[i];
  std::vector<M4> global(t.nodes.size());
  for (size_t i = 0; i < t.nodes.size(); ++i) {
    aiMatrix4x4 local = t.nodes[i]->mTransformation;
    auto it = channels.find(t.nodes[i]->mName.C_Str());
    if (it != channels.end()) {
      const aiNodeAnim* c = it->second;
      aiVector3D s, p;
      aiQuaternion r;
      local.Decompose(s, r, p);
      local = aiMatrix4x4(SampleVector(c->mScalingKeys, c->mNumScalingKeys, time, s),
                          SampleRotation(c->mRotationKeys, c->mNumRotationKeys, time, r),
                          SampleVector(c->mPositionKeys, c->mNumPositionKeys, time, p));
    }
    global[i] = t.parent[i] < 0 ? RowMatrix(local) : RowMatrix(local) * global[size_t(t.parent[i])];
  }
  return global;
}

Image DecodePicture(const uint8_t* data, size_t size, std::string& why) {
  int w = 0, h = 0, channels = 0;
  if (size > size_t(INT32_MAX)) {
    why = "too large";
    return {};
  }
  if (stbi_info_from_memory(data, int(size), &w, &h, &channels) &&
      (w > kImportMaxTextureSide || h > kImportMaxTextureSide)) {
    why = std::to_string(w) + " x " + std::to_string(h) + ", the engine draws at most " +
          std::to_string(kImportMaxTextureSide) + " a side";
    return {};
  }
  uint8_t* px = stbi_load_from_memory(data, int(size), &w, &h, &channels, 4);
  if (!px) {
    why = stbi_failure_reason() ? stbi_failure_reason() : "not a picture";
    return {};
  }
  Image img(w, h);
  std::memcpy(img.pixels().data(), px, size_t(w) * size_t(h) * 4);
  stbi_image_free(px);
  return img;
}

class Converter {
 public:
  Converter(const aiScene& scene, const ModelImportOptions& o, ModelImport& out)
      : scene_(scene), options_(o), out_(out), c_(AxisConversion(o.zUp, o.scale)), cInv_(InverseOrIdentity(c_)) {}

  bool Run(std::string& error);

 private:
  bool ChooseBones(std::string& error);
  int FirstSkinNode(const aiMesh& mesh) const;
  void BindMatrices();
  bool AddMeshes(std::string& error);
  void AddMesh(const aiMesh& mesh, int node);
  int VertexFor(V3 position, V3 normal, const Influences& influences, float u, float v);
  bool PlaceMotions(std::string& error);
  bool SampleFrames(std::string& error);
  bool LoadTexture(std::string& error);
  void NoteDropped();

  const aiScene& scene_;
  const ModelImportOptions& options_;
  ModelImport& out_;
  const M4 c_, cInv_;
  NodeTable nodes_;
  std::vector<int> boneNodes_;          // node index of each bone
  std::map<int, int> boneOfNode_;       // node index -> bone
  std::vector<M4> bind_, bindInverse_;  // each bone's bind matrix in the source's space
  std::vector<bool> bindFromSkin_;
  std::vector<int> materialTriangles_;
  std::vector<M4> restGlobal_;
  // Points keyed by mesh, position, normal and influences.
  std::map<std::tuple<int, V3Key, V3Key, Influences>, std::vector<int>> pointsByKey_;
  std::vector<Influences> influences_;  // per point
  std::map<std::tuple<int, float, float>, int> vertexOf_;  // (point, u, v) -> render vertex
  int meshIndex_ = 0;
  size_t cutInfluences_ = 0, unweighted_ = 0, truncatedNames_ = 0;
  std::map<unsigned, size_t> motionOfClip_;  // clip index -> entry of out_.motions
};

// A bone name fits the file's 64-byte field with its terminating zero (cut between
// UTF-8 characters).
std::string FitName(const std::string& name, size_t& truncated) {
  if (name.size() <= 63) return name;
  ++truncated;
  size_t n = 63;
  while (n > 0 && (uint8_t(name[n]) & 0xC0) == 0x80) --n;
  return name.substr(0, n);
}

bool HasTriangles(const aiMesh& m) { return (m.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) && m.mNumFaces > 0; }

int Converter::FirstSkinNode(const aiMesh& mesh) const {
  for (unsigned k = 0; k < mesh.mNumBones; ++k)
    if (const int node = nodes_.Find(mesh.mBones[k]->mName); node >= 0) return node;
  return -1;
}

bool Converter::ChooseBones(std::string& error) {
  nodes_.Add(scene_.mRootNode, -1);
  const size_t n = nodes_.nodes.size();
  std::vector<char> skin(n, 0), chosen(n, 0);
  for (unsigned i = 0; i < scene_.mNumMeshes; ++i)
    for (unsigned k = 0; k < scene_.mMeshes[i]->mNumBones; ++k) {
      const int node = nodes_.Find(scene_.mMeshes[i]->mBones[k]->mName);
      if (node >= 0) skin[size_t(node)] = chosen[size_t(node)] = 1;
    }
  // The skeleton: the skin's bones, the nodes below them (ends and sockets for props) and
  // the nodes above them up to the top (the scene's root only when it is a bone itself).
  for (size_t i = 1; i < n; ++i)
    if (chosen[size_t(nodes_.parent[i])] && !chosen[i]) chosen[i] = 1;
  for (size_t i = 0; i < n; ++i)
    if (skin[i])
      for (int up = nodes_.parent[i]; up > 0; up = nodes_.parent[size_t(up)]) chosen[size_t(up)] = 1;
  // A mesh without skin (or whose skin names no node) moves rigidly with its own node.
  for (size_t i = 0; i < n; ++i)
    for (unsigned k = 0; k < nodes_.nodes[i]->mNumMeshes; ++k) {
      const unsigned index = nodes_.nodes[i]->mMeshes[k];
      if (index >= scene_.mNumMeshes || !HasTriangles(*scene_.mMeshes[index])) continue;
      if (FirstSkinNode(*scene_.mMeshes[index]) < 0) chosen[i] = 1;
    }
  for (size_t i = 0; i < n; ++i)
    if (chosen[i]) {
      boneOfNode_[int(i)] = int(boneNodes_.size());
      boneNodes_.push_back(int(i));
    }
  if (boneNodes_.size() > kImportMaxBones) {
    error = std::to_string(boneNodes_.size()) + " bones; the model file holds at most " + std::to_string(kImportMaxBones);
    return false;
  }
  for (int node : boneNodes_) {
    ImportedBone b;
    b.name = FitName(nodes_.nodes[size_t(node)]->mName.C_Str(), truncatedNames_);
    for (int up = nodes_.parent[size_t(node)]; up >= 0 && b.parent < 0; up = nodes_.parent[size_t(up)])
      if (boneOfNode_.count(up)) b.parent = boneOfNode_[up];
    out_.bones.push_back(b);
    ModelBone mb;
    mb.name = b.name;
    out_.model.bones.push_back(mb);
  }
  return true;
}

// A bone's bind matrix: where the skin says it stood when the mesh was bound to it, or,
// for a bone without skin, its rest place.
void Converter::BindMatrices() {
  restGlobal_ = GlobalTransforms(nodes_, nullptr, 0);
  for (int node : boneNodes_) bind_.push_back(restGlobal_[size_t(node)]);
  bindFromSkin_.assign(bind_.size(), false);
  for (size_t i = 0; i < nodes_.nodes.size(); ++i)
    for (unsigned k = 0; k < nodes_.nodes[i]->mNumMeshes; ++k) {
      const unsigned index = nodes_.nodes[i]->mMeshes[k];
      if (index >= scene_.mNumMeshes) continue;
      const aiMesh& mesh = *scene_.mMeshes[index];
      for (unsigned j = 0; j < mesh.mNumBones; ++j) {
        const int node = nodes_.Find(mesh.mBones[j]->mName);
        if (node < 0) continue;
        const int b = boneOfNode_[node];
        if (bindFromSkin_[size_t(b)]) continue;
        bind_[size_t(b)] = InverseOrIdentity(RowMatrix(mesh.mBones[j]->mOffsetMatrix)) * restGlobal_[i];
        bindFromSkin_[size_t(b)] = true;
      }
    }
  for (const M4& b : bind_) bindInverse_.push_back(InverseOrIdentity(b));
}

bool Converter::AddMeshes(std::string& error) {
  std::set<unsigned> skinnedDone;
  materialTriangles_.assign(scene_.mNumMaterials, 0);
  for (size_t i = 0; i < nodes_.nodes.size(); ++i)
    for (unsigned k = 0; k < nodes_.nodes[i]->mNumMeshes; ++k) {
      const unsigned index = nodes_.nodes[i]->mMeshes[k];
      if (index >= scene_.mNumMeshes || !HasTriangles(*scene_.mMeshes[index])) continue;
      const aiMesh& mesh = *scene_.mMeshes[index];
      // A skinned mesh follows its bones wherever its node stands: one copy.
      if (FirstSkinNode(mesh) >= 0 && !skinnedDone.insert(index).second) continue;
      AddMesh(mesh, int(i));
      if (mesh.mMaterialIndex < materialTriangles_.size()) materialTriangles_[mesh.mMaterialIndex] += int(mesh.mNumFaces);
      if (out_.model.points.size() > kImportMaxPoints || out_.model.uvs.size() > kImportMaxVertices) {
        error = "the mesh has more than " + std::to_string(kImportMaxPoints) + " points or render vertices; the model file holds at most " +
                std::to_string(kImportMaxVertices) + " of each";
        return false;
      }
    }
  if (out_.model.triangles.empty()) {
    error = options_.input + " holds no mesh of triangles";
    return false;
  }
  ModelData& m = out_.model;
  for (size_t p = 0; p < m.points.size(); ++p) {
    const Influences& in = influences_[p];
    if (in.size() == 1) {
      m.bones[size_t(in[0].first)].rigidPoints.push_back(uint16_t(p));
      ++out_.rigidPoints;
      continue;
    }
    ModelBlend blend{uint16_t(p), {}, {}};
    for (const auto& [bone, weight] : in) {
      blend.bones.push_back(uint16_t(bone));
      blend.weights.push_back(float(weight));
    }
    m.blends.push_back(blend);
    ++out_.blendedPoints;
  }
  return true;
}

// The strongest influences the format holds, renormalised to a sum of one.
Influences Strongest(Influences in, size_t& cut) {
  in.erase(std::remove_if(in.begin(), in.end(), [](const auto& i) { return !(i.second > 0) || !std::isfinite(i.second); }),
           in.end());
  std::stable_sort(in.begin(), in.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  if (in.size() > kImportMaxInfluences) {
    in.resize(kImportMaxInfluences);
    ++cut;
  }
  double sum = 0;
  for (const auto& i : in) sum += i.second;
  for (auto& i : in) i.second /= sum;
  return in;
}

// The normal's matrix: the inverse transpose of the 3x3 part.
M4 NormalMatrix(const M4& a) {
  M4 inv = InverseOrIdentity(a), r;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r.m[i][j] = inv.m[j][i];
  return r;
}

void Converter::AddMesh(const aiMesh& mesh, int node) {
  ++meshIndex_;
  std::vector<Influences> weights(mesh.mNumVertices);
  M4 place;  // source vertex to the engine's rest space
  const int skinNode = FirstSkinNode(mesh);
  if (skinNode >= 0) {
    for (unsigned j = 0; j < mesh.mNumBones; ++j) {
      const aiBone& bone = *mesh.mBones[j];
      const int boneNode = nodes_.Find(bone.mName);
      if (boneNode < 0) continue;
      for (unsigned w = 0; w < bone.mNumWeights; ++w)
        if (bone.mWeights[w].mVertexId < mesh.mNumVertices)
          weights[bone.mWeights[w].mVertexId].push_back({boneOfNode_[boneNode], bone.mWeights[w].mWeight});
    }
    place = restGlobal_[size_t(node)] * c_;
  } else {
    place = bind_[size_t(boneOfNode_[node])] * c_;
  }
  const M4 normalPlace = NormalMatrix(place);
  const int firstBone = boneOfNode_[skinNode >= 0 ? skinNode : node];
  std::vector<int> vertexOfSource(mesh.mNumVertices, -1);
  for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
    Influences in = Strongest(weights[v], cutInfluences_);
    if (in.empty()) {
      if (skinNode >= 0) ++unweighted_;
      in = {{firstBone, 1.0}};
    }
    const aiVector3D& p = mesh.mVertices[v];
    const aiVector3D n = mesh.mNormals ? mesh.mNormals[v] : aiVector3D(0, 1, 0);
    const aiVector3D uv = mesh.mTextureCoords[0] ? mesh.mTextureCoords[0][v] : aiVector3D(0, 0, 0);
    vertexOfSource[v] = VertexFor(TransformPoint(V3{p.x, p.y, p.z}, place),
                                  Normalize(TransformVector(V3{n.x, n.y, n.z}, normalPlace)), in, uv.x, uv.y);
  }
  // The mirrored axes turn the winding round: the faces are written the other way.
  for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
    const aiFace& face = mesh.mFaces[f];
    if (face.mNumIndices != 3 || face.mIndices[0] >= mesh.mNumVertices || face.mIndices[1] >= mesh.mNumVertices ||
        face.mIndices[2] >= mesh.mNumVertices)
      continue;
    out_.model.triangles.push_back({uint16_t(vertexOfSource[face.mIndices[0]]), uint16_t(vertexOfSource[face.mIndices[2]]),
                                    uint16_t(vertexOfSource[face.mIndices[1]])});
  }
}

int Converter::VertexFor(V3 position, V3 normal, const Influences& influences, float u, float v) {
  ModelData& m = out_.model;
  std::vector<int>& points = pointsByKey_[{meshIndex_, V3Key{position.x, position.y, position.z},
                                           V3Key{normal.x, normal.y, normal.z}, influences}];
  int point = points.empty() ? -1 : points.back();
  if (point >= 0) {
    auto it = vertexOf_.find({point, u, v});
    if (it != vertexOf_.end()) return it->second;
  }
  // A point lists at most 255 render vertices: a further one starts a twin point.
  if (point < 0 || m.pointVertices[size_t(point)].size() >= 255) {
    point = int(m.points.size());
    points.push_back(point);
    m.points.push_back(position);
    m.normals.push_back(normal);
    m.pointVertices.emplace_back();
    influences_.push_back(influences);
  }
  const int vertex = int(m.uvs.size());
  m.uvs.push_back({u, v});
  m.pointVertices[size_t(point)].push_back(uint16_t(vertex));
  vertexOf_[{point, u, v}] = vertex;
  return vertex;
}

// Stand and walk repeat; every other motion plays once and returns to standing.
bool Loops(int motion) { return motion == 0 || motion == 8 || motion == 9; }

bool Converter::PlaceMotions(std::string& error) {
  std::vector<int> numberOfClip(scene_.mNumAnimations, -1);
  std::set<int> used;
  auto clipName = [&](unsigned i) {
    const std::string name = scene_.mAnimations[i]->mName.C_Str();
    return name.empty() ? "clip " + std::to_string(i) : name;
  };
  for (const auto& [number, clip] : options_.motionClips) {
    int found = -1;
    for (unsigned i = 0; i < scene_.mNumAnimations && found < 0; ++i)
      if (clipName(i) == clip) found = int(i);
    if (found < 0 && !clip.empty() && clip.find_first_not_of("0123456789") == std::string::npos && clip.size() < 6 &&
        std::stoul(clip) < scene_.mNumAnimations)
      found = int(std::stoul(clip));
    if (found < 0) {
      std::string names;
      for (unsigned i = 0; i < scene_.mNumAnimations; ++i) names += (i ? ", \"" : "\"") + clipName(i) + "\"";
      error = "no clip \"" + clip + "\" in " + options_.input + " (its clips: " + (names.empty() ? "none" : names) + ")";
      return false;
    }
    if (number < 0 || number > 255 || !used.insert(number).second || numberOfClip[size_t(found)] >= 0) {
      error = "--motion " + std::to_string(number) + "=" + clip + ": each motion 0..255 and each clip takes one";
      return false;
    }
    numberOfClip[size_t(found)] = number;
  }
  const size_t placedByOption = used.size();
  int next = 0;
  for (unsigned i = 0; i < scene_.mNumAnimations; ++i) {
    if (numberOfClip[i] < 0) {
      while (next < 256 && used.count(next)) ++next;
      if (next >= 256) {
        out_.dropped.push_back("clip \"" + clipName(i) + "\": all 256 motions are taken");
        continue;
      }
      numberOfClip[i] = next;
      used.insert(next);
    }
    ImportedMotion m;
    m.number = numberOfClip[i];
    m.clip = clipName(i);
    m.loops = Loops(m.number);
    m.fromOption = placedByOption > 0 && std::any_of(options_.motionClips.begin(), options_.motionClips.end(),
                                                     [&](const auto& o) { return o.first == m.number; });
    motionOfClip_[i] = out_.motions.size();
    out_.motions.push_back(m);
  }
  return true;
}

// Frames of a clip sampled at 30 a second, both ends included (as a real number, so that
// an absurd length is refused rather than sampled).
double ClipFrames(const aiAnimation& a) {
  const double ticksPerSecond = a.mTicksPerSecond > 0 ? a.mTicksPerSecond : 25.0;
  const double seconds = std::max(0.0, a.mDuration / ticksPerSecond);
  return seconds > 0 ? std::max(1.0, std::round(seconds * 30)) + 1 : 1;
}

// Frame 0 holds the rest pose; each clip follows at 30 frames a second. Every bone stores
// a pose index a frame, so the frames are counted against the file's size first.
bool Converter::SampleFrames(std::string& error) {
  double frameTotal = 1;
  for (const auto& [clip, entry] : motionOfClip_) frameTotal += ClipFrames(*scene_.mAnimations[clip]);
  if (!(frameTotal * 4.0 * double(boneNodes_.size()) <= double(kImportMaxFileBytes))) {
    error = "the clips make " + std::to_string(uint64_t(std::min(frameTotal, 1e18))) + " frames of " +
            std::to_string(boneNodes_.size()) + " bones, more than a model file of " +
            std::to_string(kImportMaxFileBytes >> 20) + " MiB holds";
    return false;
  }
  ModelData& m = out_.model;
  std::map<std::array<float, 12>, uint32_t> poseIndex;
  auto addFrame = [&](const std::vector<M4>& global) {
    for (size_t b = 0; b < boneNodes_.size(); ++b) {
      const auto pose = PoseFromMatrix(cInv_ * bindInverse_[b] * global[size_t(boneNodes_[b])] * c_);
      auto [it, added] = poseIndex.emplace(pose, uint32_t(m.poses.size()));
      if (added) m.poses.push_back(pose);
      m.bones[b].poseOfFrame.push_back(it->second);
    }
  };
  addFrame(restGlobal_);
  uint32_t frames = 1;
  for (const auto& [clip, entry] : motionOfClip_) {
    const aiAnimation& a = *scene_.mAnimations[clip];
    const double ticksPerSecond = a.mTicksPerSecond > 0 ? a.mTicksPerSecond : 25.0;
    const uint32_t count = uint32_t(ClipFrames(a));
    ImportedMotion& motion = out_.motions[entry];
    motion.first = frames;
    motion.last = frames + count - 1;
    for (uint32_t k = 0; k < count; ++k) addFrame(GlobalTransforms(nodes_, &a, std::min(a.mDuration, k * ticksPerSecond / 30.0)));
    frames += count;
    m.motions[motion.number] = {true, float(motion.first), float(motion.last), motion.loops ? float(motion.first) : -1.0f, 1.0f, 0};
  }
  m.frameCount = frames;
  if (!m.motions[0].defined) {
    m.motions[0] = {true, 0, 0, 0, 1, 0};
    ImportedMotion rest;
    rest.loops = true;
    out_.motions.push_back(rest);
  }
  std::sort(out_.motions.begin(), out_.motions.end(), [](const auto& a, const auto& b) { return a.number < b.number; });
  return true;
}

// The picture a material names: embedded in the file or a file beside it.
bool ReadTexture(const aiScene& scene, const std::string& input, const std::string& name, Image& img, std::string& error) {
  std::string why;
  if (const aiTexture* t = scene.GetEmbeddedTexture(name.c_str())) {
    if (t->mHeight == 0) {
      img = DecodePicture(reinterpret_cast<const uint8_t*>(t->pcData), t->mWidth, why);
    } else if (t->mWidth <= unsigned(kImportMaxTextureSide) && t->mHeight <= unsigned(kImportMaxTextureSide)) {
      img = Image(int(t->mWidth), int(t->mHeight));
      for (unsigned i = 0; i < t->mWidth * t->mHeight; ++i)
        img.Set(int(i % t->mWidth), int(i / t->mWidth), {t->pcData[i].r, t->pcData[i].g, t->pcData[i].b, t->pcData[i].a});
    } else {
      why = "larger than the engine draws";
    }
    if (img.width() == 0) error = "cannot read the texture embedded in " + input + ": " + why;
    return img.width() > 0;
  }
  std::string relative = name;
  std::replace(relative.begin(), relative.end(), '\\', '/');
  const fs::path folder = fs::path(input).parent_path();
  std::error_code ec;
  fs::path file = fs::path(relative).is_absolute() ? fs::path(relative) : folder / relative;
  if (!fs::is_regular_file(file, ec)) file = folder / fs::path(relative).filename();
  Bytes bytes;
  std::string unread;
  if (!fs::is_regular_file(file, ec) || !ReadWholeFile(file.string(), bytes, unread)) {
    error = "cannot read the texture " + name + " of " + input + ": no such file";
    return false;
  }
  img = DecodePicture(bytes.data(), bytes.size(), why);
  if (img.width() == 0) error = "cannot read the texture " + file.string() + ": " + why;
  return img.width() > 0;
}

std::string MaterialTexture(const aiMaterial& m) {
  aiString path;
  if (m.GetTexture(aiTextureType_BASE_COLOR, 0, &path) == AI_SUCCESS && path.length > 0) return path.C_Str();
  if (m.GetTexture(aiTextureType_DIFFUSE, 0, &path) == AI_SUCCESS && path.length > 0) return path.C_Str();
  return "";
}

bool Converter::LoadTexture(std::string& error) {
  ModelData& m = out_.model;
  int chosen = -1;
  bool twoSided = false;
  for (size_t i = 0; i < materialTriangles_.size(); ++i) {
    if (materialTriangles_[i] == 0) continue;
    int flag = 0;
    if (scene_.mMaterials[i]->Get(AI_MATKEY_TWOSIDED, flag) == AI_SUCCESS && flag) twoSided = true;
    if (MaterialTexture(*scene_.mMaterials[i]).empty()) continue;
    if (chosen < 0 || materialTriangles_[i] > materialTriangles_[size_t(chosen)]) chosen = int(i);
  }
  // Both sides where the source asks for them; else the winding the game's characters use.
  m.cullMode = twoSided ? 0 : 2;
  if (chosen < 0) return true;
  const std::string name = MaterialTexture(*scene_.mMaterials[chosen]);
  for (size_t i = 0; i < materialTriangles_.size(); ++i)
    if (materialTriangles_[i] > 0 && int(i) != chosen && !MaterialTexture(*scene_.mMaterials[i]).empty() &&
        MaterialTexture(*scene_.mMaterials[i]) != name)
      out_.dropped.push_back("texture " + MaterialTexture(*scene_.mMaterials[i]) + " of material \"" +
                             scene_.mMaterials[i]->GetName().C_Str() + "\" (a model has one texture)");
  Image img;
  if (!ReadTexture(scene_, options_.input, name, img, error)) return false;
  if (img.width() > kImportMaxTextureSide || img.height() > kImportMaxTextureSide) {
    error = "the texture " + name + " is " + std::to_string(img.width()) + " x " + std::to_string(img.height()) +
            "; the engine draws at most " + std::to_string(kImportMaxTextureSide) + " a side";
    return false;
  }
  bool alpha = false;
  for (size_t i = 3; i < img.pixels().size() && !alpha; i += 4) alpha = img.pixels()[i] < 255;
  fs::path target = options_.texturePath;
  if (target.empty()) target = fs::path(options_.modelPath).replace_extension(alpha ? ".tga" : ".bmp");
  std::string extension = target.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
  if (extension == ".tga") {
    out_.texture = EncodeTga32(img);
  } else if (extension == ".bmp") {
    out_.texture = EncodeBmp24(img);
    if (alpha) out_.dropped.push_back("the texture's transparency (a BMP has none; a .tga keeps it)");
    alpha = false;
  } else {
    error = "the texture is written as .bmp or .tga, not " + target.string();
    return false;
  }
  // The texture's name is read relative to the model's folder.
  const fs::path modelFolder = fs::absolute(fs::path(options_.modelPath)).lexically_normal().parent_path();
  const std::string relative = fs::absolute(target).lexically_normal().lexically_relative(modelFolder).generic_string();
  if (relative.empty() || relative.size() > 127) {
    error = "the texture's path relative to the model's folder must be 1 to 127 bytes: " + target.string();
    return false;
  }
  m.texture = relative;
  m.alphaTest = alpha ? 1 : 0;
  out_.texturePath = target.string();
  return true;
}

void Converter::NoteDropped() {
  size_t uvSets = 0, colours = 0, morphs = 0, meshChannels = 0;
  for (unsigned i = 0; i < scene_.mNumMeshes; ++i) {
    const aiMesh& mesh = *scene_.mMeshes[i];
    uvSets += mesh.GetNumUVChannels() > 1 ? mesh.GetNumUVChannels() - 1 : 0;
    colours += mesh.GetNumColorChannels();
    morphs += mesh.mNumAnimMeshes;
  }
  for (unsigned i = 0; i < scene_.mNumAnimations; ++i)
    meshChannels += scene_.mAnimations[i]->mNumMeshChannels + scene_.mAnimations[i]->mNumMorphMeshChannels;
  auto note = [&](size_t count, const std::string& what) {
    if (count) out_.dropped.push_back(std::to_string(count) + " " + what);
  };
  note(uvSets, "extra UV sets (the first is kept)");
  note(colours, "vertex colour sets (the engine lights by its scene's lights)");
  note(morphs, "morph targets");
  note(meshChannels, "morph or mesh animation channels");
  note(cutInfluences_, "points with more than " + std::to_string(kImportMaxInfluences) +
                           " influences (the strongest kept, renormalised)");
  note(unweighted_, "points of a skinned mesh without weights (moved with its first bone)");
  note(truncatedNames_, "bone names longer than 63 bytes (cut)");
}

bool Converter::Run(std::string& error) {
  if (!ChooseBones(error)) return false;
  BindMatrices();
  if (!AddMeshes(error) || !PlaceMotions(error) || !SampleFrames(error) || !LoadTexture(error)) return false;
  NoteDropped();
  double lo = 1e300, hi = -1e300;
  for (const V3& p : out_.model.points) {
    lo = std::min(lo, p.y);
    hi = std::max(hi, p.y);
  }
  out_.height = hi - lo;
  out_.modelFile = EncodeModel(out_.model, false);
  if (out_.modelFile.size() > kImportMaxFileBytes) {
    error = "the model file would take " + std::to_string(out_.modelFile.size()) + " bytes (" +
            std::to_string(out_.model.bones.size()) + " bones, " + std::to_string(out_.model.frameCount) +
            " frames); the engine reads at most " + std::to_string(kImportMaxFileBytes) + ": fewer frames or bones";
    return false;
  }
  return true;
}

// The import library (5.2) crashes on a glTF skin without inverse bind matrices, which the
// format lets a file leave out: such a file is refused before the library reads it.
bool GltfSkinsReadable(const std::string& path, std::string& error) {
  Bytes bytes;
  std::string extension = fs::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) { return std::tolower(c); });
  std::string unread;  // the importer says what it cannot read
  if ((extension != ".gltf" && extension != ".glb") || !ReadWholeFile(path, bytes, unread)) return true;
  size_t begin = 0, end = bytes.size();
  if (bytes.size() >= 20 && std::memcmp(bytes.data(), "glTF", 4) == 0) {
    // Binary: a 12-byte header, then the JSON chunk's length, type and text.
    const size_t length = bytes[12] | bytes[13] << 8 | bytes[14] << 16 | size_t(bytes[15]) << 24;
    begin = 20;
    end = std::min(bytes.size(), begin + length);
  }
  const nlohmann::json gltf = nlohmann::json::parse(bytes.begin() + long(begin), bytes.begin() + long(end), nullptr, false);
  if (gltf.is_discarded() || !gltf.is_object() || !gltf.contains("skins") || !gltf["skins"].is_array()) return true;
  for (size_t i = 0; i < gltf["skins"].size(); ++i)
    if (!gltf["skins"][i].is_object() || !gltf["skins"][i].contains("inverseBindMatrices")) {
      error = "skin " + std::to_string(i) + " of " + path +
              " has no inverse bind matrices, which the import library cannot read: export it with them";
      return false;
    }
  return true;
}

}  // namespace

bool ImportModel(const ModelImportOptions& options, ModelImport& out, std::string& error) {
  out = ModelImport{};
  std::error_code ec;
  if (!fs::is_regular_file(options.input, ec)) {
    error = "cannot open " + options.input;
    return false;
  }
  if (!(options.scale > 0) || !std::isfinite(options.scale)) {
    error = "the scale must be a positive number";
    return false;
  }
  if (!GltfSkinsReadable(options.input, error)) return false;
  Assimp::Importer importer;
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
  // Collada nodes keep their names ("Bip01 Neck"), not their ids.
  importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_USE_COLLADA_NAMES, true);
  importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
  const aiScene* scene = importer.ReadFile(options.input, aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                                                              aiProcess_GenSmoothNormals | aiProcess_FlipUVs |
                                                              aiProcess_SortByPType);
  if (!scene || !scene->mRootNode) {
    error = "cannot read " + options.input + ": " + importer.GetErrorString();
    return false;
  }
  Converter converter(*scene, options, out);
  if (!converter.Run(error)) {
    out = ModelImport{};
    return false;
  }
  return true;
}

}  // namespace tarvex::formats
