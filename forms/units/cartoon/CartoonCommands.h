// The animation box's commands, in the order of the second extended UI library's command
// table. The first argument of each is the box (a unit reference); unknown objects are
// ignored and queries about them answer 0.
#pragma once

#include "runtime/calls/ArgRecord.h"

namespace forms {

// (box, optional template object, int x, int y, optional bool visible = true,
// optional text name) → int id of the new object.
void PlaceObject(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (box, int id, int id, ...) → int how many were destroyed.
void DestroyObjects(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (box, int id, int percent).
void SetObjectAlpha(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (box, int id, int layer) → int 1 when the object moved to another layer.
void SetObjectLayer(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (box, int id) → int.
void GetObjectX(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void GetObjectY(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void GetObjectWidth(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
void GetObjectHeight(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (box, int id, int horizontal ‰, optional int vertical ‰) → int 1 when the zoom changed.
void SetObjectZoom(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);
// (box, int x, int y, int width, int height, optional int background colour) → byte set
// holding a 32-bit BMP file of the composed rectangle.
void SnapshotBox(rt::ArgRecord* result, int32_t count, rt::ArgRecord* args);

}  // namespace forms
