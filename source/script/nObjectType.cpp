#include "script/nObjectType.h"

#include "core/base/nLog.h"

const nObjectTypeConstant ObjectTypeLegacyConstants[ObjectTypeLegacyConstantCount] = {
    {"objectTypeUndefined", ObjectTypeUndefined},
    {"objectTypeDeleted", ObjectTypeDeletedNative},
    {"objectTypeCThread", ObjectTypeCThread},
    {"objectTypeEngine", ObjectTypeEngine},
    {"objectTypeResourceCache", ObjectTypeResourceSet},
    {"objectTypeProject", ObjectTypeProject},
    {"objectTypeRenderer", ObjectTypeRenderer},
    {"objectTypeRaytracer", ObjectTypeRaytracer},
    {"objectTypeMixer", ObjectTypeMixer},
    {"objectTypeScene", ObjectTypeScene},
    {"objectTypeFont", ObjectTypeTruetypeFont},
    {"objectTypeRasterFont", ObjectTypeRasterFont},
    {"objectTypeWindowSystem", ObjectTypeWindowSystem},
    {"objectTypeWindow", ObjectTypeWindow},
    {"objectTypeWidget", ObjectTypeWidget},
    {"objectTypeSizerWidget", ObjectTypeBaseSizer},
    {"objectTypeContainerWidget", ObjectTypeContainerWidget},
    {"objectTypeSpacerWidget", ObjectTypeSpacerWidget},
    {"objectTypeCanvasWidget", ObjectTypeCanvasWidget},
    {"objectTypeTextWidget", ObjectTypeTextWidget},
    {"objectTypeBitmapWidget", ObjectTypeBitmapWidget},
    {"objectTypeCheckWidget", ObjectTypeCheckWidget},
    {"objectTypePicture", ObjectTypePicture},
    {"objectTypeGroup", ObjectTypeSceneGroup},
    {"objectTypeItem", ObjectTypeItem},
    {"objectTypeCamera", ObjectTypeCamera},
    {"objectTypeObject", ObjectTypeObject},
    {"objectTypeLight", ObjectTypeLight},
    {"objectTypeInstance", ObjectTypeInstance},
    {"objectTypeMotion", ObjectTypeMotion},
    {"objectTypeTrigger", ObjectTypeTrigger},
    {"objectTypePath", ObjectTypePath},
    {"objectTypeSound", ObjectTypeSound},
    {"objectTypeTexture", ObjectTypeTexture},
    {"objectTypeGeometry", ObjectTypeGeometry},
    {"objectTypeMaterial", ObjectTypeMaterial},
    {"objectTypeColShape", ObjectTypeCollisionShape},
    {"objectTypeConstraint", ObjectTypePhysicConstraint},
    {"objectTypeMetafile", ObjectTypeMetafile},
    {"objectTypeMetatag", ObjectTypeMetatag},
    {"objectTypeJoypad", ObjectTypeJoypad},
    {"objectTypeHidDevice", ObjectTypeHID},
    {"objectTypeEditorPlugin", ObjectTypeEditorPlugin},
    {"objectTypeProjectScene", ObjectTypeProjectScene},
    {"objectTypeProjectLayer", ObjectTypeProjectLayer},
    {"objectTypeAnimationSource", ObjectTypeAnimationSource},
};

namespace
{
const char* const ObjectTypeDescriptions[ObjectTypeCount] = {
    "Undefined",       "Deleted native",    "C Thread",        "Engine",
    "Resource Set",    "Project",           "Renderer",        "Raytracer",
    "Mixer",           "Scene",             "Truetype Font",   "Raster Font",
    "Window System",   "Window",            "Widget",          "Base Sizer",
    "Container Widget", "Spacer Widget",    "Canvas Widget",   "Text Widget",
    "Bitmap Widget",   "Check Widget",      "Picture",         "Scene Group",
    "Item",            "Camera",            "Object",          "Light",
    "Instance",        "Emitter",           "Motion",          "Trigger",
    "Path",            "Sound",             "Texture",         "Geometry",
    "GeometryTemplate", "Material",         "Collision Shape", "Physic Constraint",
    "Metafile",        "Metatag",           "Joypad",          "HID",
    "Editor Plugin",   "Project Scene",     "Project Layer",   "Animation Source",
};
} // namespace

const char* GetObjectTypeDescription(int32_t type)
{
    if (type >= 0 && type < ObjectTypeCount)
        return ObjectTypeDescriptions[type];
    nLogHolder::Get() << "[!] No matching description string for type " << type << ".\n";
    return "Unknown";
}
