#pragma once

#include <cstdint>

// The kind of engine object a script handle points at. The values are stored in scripts and
// content, so they never change.
enum nObjectType : int32_t
{
    ObjectTypeUndefined = 0,
    ObjectTypeDeletedNative = 1,
    ObjectTypeCThread = 2,
    ObjectTypeEngine = 3,
    ObjectTypeResourceSet = 4,
    ObjectTypeProject = 5,
    ObjectTypeRenderer = 6,
    ObjectTypeRaytracer = 7,
    ObjectTypeMixer = 8,
    ObjectTypeScene = 9,
    ObjectTypeTruetypeFont = 10,
    ObjectTypeRasterFont = 11,
    ObjectTypeWindowSystem = 12,
    ObjectTypeWindow = 13,
    ObjectTypeWidget = 14,
    ObjectTypeBaseSizer = 15,
    ObjectTypeContainerWidget = 16,
    ObjectTypeSpacerWidget = 17,
    ObjectTypeCanvasWidget = 18,
    ObjectTypeTextWidget = 19,
    ObjectTypeBitmapWidget = 20,
    ObjectTypeCheckWidget = 21,
    ObjectTypePicture = 22,
    ObjectTypeSceneGroup = 23,
    ObjectTypeItem = 24,
    ObjectTypeCamera = 25,
    ObjectTypeObject = 26,
    ObjectTypeLight = 27,
    ObjectTypeInstance = 28,
    ObjectTypeEmitter = 29,
    ObjectTypeMotion = 30,
    ObjectTypeTrigger = 31,
    ObjectTypePath = 32,
    ObjectTypeSound = 33,
    ObjectTypeTexture = 34,
    ObjectTypeGeometry = 35,
    ObjectTypeGeometryTemplate = 36,
    ObjectTypeMaterial = 37,
    ObjectTypeCollisionShape = 38,
    ObjectTypePhysicConstraint = 39,
    ObjectTypeMetafile = 40,
    ObjectTypeMetatag = 41,
    ObjectTypeJoypad = 42,
    ObjectTypeHID = 43,
    ObjectTypeEditorPlugin = 44,
    ObjectTypeProjectScene = 45,
    ObjectTypeProjectLayer = 46,
    ObjectTypeAnimationSource = 47,
    ObjectTypeCount = 48,
};

// The constants that scripts written for older engines use for the type codes; emitters and
// geometry templates came later and have none.
struct nObjectTypeConstant
{
    const char* name;
    nObjectType type;
};

constexpr uint32_t ObjectTypeLegacyConstantCount = 46;
extern const nObjectTypeConstant ObjectTypeLegacyConstants[ObjectTypeLegacyConstantCount];

// The display text of a code ("Item", "Deleted native", ...); any other code is "Unknown", and
// asking for it logs an error line.
const char* GetObjectTypeDescription(int32_t type);
