#include "scripts/scene_dispatch.h"

#include "interaction/game_state.h"
#include "scripts/lua_api.h"
#include "scripts/lua_scene.h"
#include "scripts/scenes.h"
#include "scripts/script_api.h"

namespace tarvex {

namespace {

void NoInit() {}
void NoLoad() {}
// A scene with no content of its own: actors, pointer and clicks, no exits.
void ExitlessRun() { DefaultRun({}); }

const SceneRow kSceneTable[kSceneCount] = {
    /*   0 */ {Scene000Init, Scene000Load, Scene000Run, 5},
    /*   1 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*   2 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*   3 */ {NoInit, NoLoad, ExitlessRun, 14},
    /*   4 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*   5 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*   6 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*   7 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*   8 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*   9 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  10 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  11 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  12 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  13 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  14 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  15 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  16 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  17 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  18 */ {NoInit, NoLoad, ExitlessRun, 13},
    /*  19 */ {NoInit, NoLoad, ExitlessRun, 13},
    /*  20 */ {NoInit, NoLoad, ExitlessRun, 13},
    /*  21 */ {NoInit, NoLoad, ExitlessRun, 13},
    /*  22 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  23 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  24 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  25 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  26 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  27 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  28 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  29 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  30 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  31 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  32 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  33 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  34 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  35 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  36 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  37 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  38 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  39 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  40 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  41 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  42 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  43 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  44 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  45 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  46 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  47 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  48 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  49 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  50 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  51 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  52 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  53 */ {NoInit, NoLoad, ExitlessRun, 6},
    /*  54 */ {NoInit, NoLoad, ExitlessRun, 1},
    /*  55 */ {NoInit, NoLoad, ExitlessRun, 7},
    /*  56 */ {NoInit, NoLoad, ExitlessRun, 7},
    /*  57 */ {NoInit, NoLoad, ExitlessRun, 7},
    /*  58 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  59 */ {NoInit, NoLoad, ExitlessRun, 14},
    /*  60 */ {NoInit, NoLoad, ExitlessRun, 14},
    /*  61 */ {NoInit, NoLoad, ExitlessRun, 14},
    /*  62 */ {NoInit, NoLoad, ExitlessRun, 14},
    /*  63 */ {NoInit, NoLoad, ExitlessRun, 7},
    /*  64 */ {NoInit, NoLoad, ExitlessRun, 7},
    /*  65 */ {NoInit, NoLoad, ExitlessRun, 7},
    /*  66 */ {NoInit, NoLoad, ExitlessRun, 14},
    /*  67 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  68 */ {NoInit, NoLoad, ExitlessRun, 14},
    /*  69 */ {NoInit, NoLoad, ExitlessRun, 14},
    /*  70 */ {NoInit, NoLoad, ExitlessRun, 14},
    /*  71 */ {NoInit, NoLoad, ExitlessRun, 14},
    /*  72 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  73 */ {NoInit, NoLoad, ExitlessRun, 5},
    /*  74 */ {NoInit, NoLoad, ExitlessRun, 5},
    /*  75 */ {NoInit, NoLoad, ExitlessRun, 5},
    /*  76 */ {NoInit, NoLoad, ExitlessRun, 5},
    /*  77 */ {NoInit, NoLoad, ExitlessRun, 5},
    /*  78 */ {NoInit, NoLoad, ExitlessRun, 5},
    /*  79 */ {NoInit, NoLoad, ExitlessRun, 5},
    /*  80 */ {NoInit, NoLoad, ExitlessRun, 5},
    /*  81 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  82 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  83 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  84 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  85 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  86 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  87 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  88 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  89 */ {NoInit, NoLoad, ExitlessRun, 8},
    /*  90 */ {NoInit, NoLoad, ExitlessRun, 8},
    /*  91 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  92 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  93 */ {NoInit, NoLoad, ExitlessRun, 9},
    /*  94 */ {NoInit, NoLoad, ExitlessRun, 5},
    /*  95 */ {NoInit, NoLoad, ExitlessRun, 8},
    /*  96 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /*  97 */ {NoInit, NoLoad, ExitlessRun, 4},
    /*  98 */ {Scene098Init, Scene098Load, Scene098Run, 5},
    /*  99 */ {NoInit, NoLoad, ExitlessRun, 0},
    /* 100 */ {NoInit, NoLoad, ExitlessRun, 6},
    /* 101 */ {NoInit, NoLoad, ExitlessRun, 6},
    /* 102 */ {NoInit, NoLoad, ExitlessRun, 6},
    /* 103 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 104 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 105 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 106 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 107 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 108 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 109 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 110 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 111 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 112 */ {NoInit, NoLoad, ExitlessRun, 8},
    /* 113 */ {NoInit, NoLoad, ExitlessRun, 8},
    /* 114 */ {NoInit, NoLoad, ExitlessRun, 8},
    /* 115 */ {NoInit, NoLoad, ExitlessRun, 8},
    /* 116 */ {NoInit, NoLoad, ExitlessRun, 11},
    /* 117 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 118 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 119 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 120 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 121 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 122 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 123 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 124 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 125 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 126 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene120},
    /* 127 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 128 */ {NoInit, NoLoad, ExitlessRun, 4},
    /* 129 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 130 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 131 */ {Scene131Init, Scene131Load, Scene131Run, kTrackKept},
    /* 132 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 133 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 134 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 135 */ {NoInit, NoLoad, ExitlessRun, 12},
    /* 136 */ {NoInit, NoLoad, ExitlessRun, 12},
    /* 137 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 138 */ {NoInit, NoLoad, ExitlessRun, 4},
    /* 139 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 140 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 141 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 142 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 143 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 144 */ {NoInit, NoLoad, ExitlessRun, 4},
    /* 145 */ {NoInit, NoLoad, ExitlessRun, 1},
    /* 146 */ {NoInit, NoLoad, ExitlessRun, 4},
    /* 147 */ {NoInit, NoLoad, ExitlessRun, 4},
    /* 148 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 149 */ {NoInit, NoLoad, ExitlessRun, 8},
    /* 150 */ {NoInit, NoLoad, ExitlessRun, 4},
    /* 151 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 152 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 153 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 154 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 155 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 156 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 157 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 158 */ {NoInit, NoLoad, ExitlessRun, 4},
    /* 159 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 160 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 161 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 162 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 163 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 164 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 165 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 166 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 167 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 168 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 169 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 170 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 171 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 172 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 173 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 174 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 175 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 176 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 177 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 178 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 179 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 180 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 181 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 182 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 183 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 184 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 185 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 186 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 187 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 188 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 189 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 190 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 191 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 192 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 193 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 194 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 195 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 196 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 197 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 198 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 199 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 200 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 201 */ {NoInit, NoLoad, ExitlessRun, kTrackByScene201},
    /* 202 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 203 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 204 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 205 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 206 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 207 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 208 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 209 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 210 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 211 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 212 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 213 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 214 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 215 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 216 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 217 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 218 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 219 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 220 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 221 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 222 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 223 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 224 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 225 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 226 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 227 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 228 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 229 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 230 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 231 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 232 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 233 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 234 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 235 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 236 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 237 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 238 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 239 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 240 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 241 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 242 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 243 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 244 */ {NoInit, NoLoad, ExitlessRun, 7},
    /* 245 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 246 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 247 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 248 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 249 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 250 */ {Scene250Init, Scene250Load, Scene250Run, kTrackKept},
    /* 251 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 252 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 253 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 254 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 255 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 256 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 257 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 258 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 259 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 260 */ {Scene260Init, Scene260Load, Scene260Run, kTrackKept},
    /* 261 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 262 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 263 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 264 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 265 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 266 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 267 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 268 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 269 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 270 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 271 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 272 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 273 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 274 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 275 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 276 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 277 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 278 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 279 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 280 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 281 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 282 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 283 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 284 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 285 */ {InventoryCloseUpInit, InventoryCloseUpLoad, InventoryCloseUpRun, kTrackKept},
    /* 286 */ {NoInit, NoLoad, ExitlessRun, kTrackKept},
    /* 287 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 288 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 289 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 290 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 291 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 292 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 293 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 294 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 295 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 296 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 297 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},
    /* 298 */ {NoInit, CorridorLoad, CorridorRun, kTrackKept},

};

SceneRow overrides[kSceneCount];
bool runningFrame = false;

const SceneRow* Row() {
    if (loop.currentScene < 0 || loop.currentScene >= kSceneCount) return nullptr;
    return &kSceneTable[loop.currentScene];
}

}  // namespace

int SceneMusicTrack(int scene) {
    if (scene < 0 || scene >= kSceneCount) return kTrackKept;
    switch (const int track = kSceneTable[scene].track) {
    case kTrackByScene120: return TestFlagsOf(120, 0x400) ? 0 : 2;
    case kTrackByScene201: return TestFlagsOf(201, 0x1) ? 4 : 0;
    default: return track;
    }
}

// A scene's function comes from a test's override, else from the game folder's script
// when it defines it, else from the table. The scene is the one current at the call: a
// function that writes another number into currentScene does not change whose it is.
void InitScene() {
    const int scene = loop.currentScene;
    const SceneRow* row = Row();
    if (!row) {
        CloseSceneScript();
        return;
    }
    const int track = SceneMusicTrack(scene);
    if (track != kTrackKept) loop.requestedTrack = track;
    // Every entry reads the script afresh: nothing of an earlier visit lasts in Lua.
    OpenSceneScript(scene);
    if (loop.currentScene == -1) return;  // the script's top level ended the game
    if (overrides[scene].init)
        overrides[scene].init();
    else if (!CallSceneScript(scene, SceneCall::Init))
        row->init();
}

void LoadScene() {
    const int scene = loop.currentScene;
    const SceneRow* row = Row();
    if (!row) return;
    if (overrides[scene].load)
        overrides[scene].load();
    else if (!CallSceneScript(scene, SceneCall::Load))
        row->load();
}

void RunScene() {
    const int scene = loop.currentScene;
    const SceneRow* row = Row();
    if (!row) return;
    runningFrame = true;
    if (overrides[scene].run)
        overrides[scene].run();
    else if (!CallSceneScript(scene, SceneCall::Run))
        row->run();
    runningFrame = false;
    // A scene asked for while this one was entered leaves with this frame, as a change
    // written by the frame would (a change the frame wrote itself came later and wins).
    const int asked = TakeDeferredScene();
    if (asked >= 0 && loop.currentScene == scene) loop.currentScene = asked;
}

bool SceneTypedCharacter(int ch) {
    switch (loop.currentScene) {
    case 98: return Scene098Typed(ch);
    default: return false;
    }
}

bool RunningSceneFrame() { return runningFrame; }

void CallCompiledSceneFunction(int scene, SceneCall call) {
    if (scene < 0 || scene >= kSceneCount) return;
    const SceneRow& row = kSceneTable[scene];
    switch (call) {
    case SceneCall::Init: row.init(); break;
    case SceneCall::Load: row.load(); break;
    case SceneCall::Run: row.run(); break;
    }
}

void SetSceneFunctions(int scene, SceneFunction init, SceneFunction load, SceneFunction run) {
    if (scene < 0 || scene >= kSceneCount) return;
    if (init) overrides[scene].init = init;
    if (load) overrides[scene].load = load;
    if (run) overrides[scene].run = run;
}

void ResetSceneFunctions() {
    for (SceneRow& r : overrides) r = SceneRow{};
    CloseSceneScript();
}

}  // namespace tarvex
