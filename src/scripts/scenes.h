// The scenes that have functions of their own; every other scene uses the shared pieces.
#pragma once

namespace tarvex {

void Scene000Init();
void Scene000Load();
void Scene000Run();
void Scene098Init();
void Scene098Load();
void Scene098Run();
bool Scene098Typed(int ch);
void Scene131Init();
void Scene131Load();
void Scene131Run();
void Scene250Init();
void Scene250Load();
void Scene250Run();
void Scene260Init();
void Scene260Load();
void Scene260Run();
// The close-ups of inventory items and the corridor views 287..298.
void InventoryCloseUpInit();
void InventoryCloseUpLoad();
void InventoryCloseUpRun();
void CorridorLoad();
void CorridorRun();

}  // namespace tarvex
