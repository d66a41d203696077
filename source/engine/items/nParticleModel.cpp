#include "engine/items/nParticleModel.h"

#include "core/base/nLog.h"
#include "core/base/nMemory.h"
#include "core/math/nCurvePoint.h"
#include "core/nml/nMetaFile.h"
#include "core/nml/nMetaTag.h"
#include "engine/items/nItemTags.h"

namespace
{
constexpr const char* Block = "ParticleModel";
constexpr const char* CurveNames[nParticleModel::CurveCount] = {"AngleCurve", "SizeCurve", "RedCurve",
                                                                "GreenCurve", "BlueCurve", "OpacityCurve"};
// What each curve gives while it has no knot.
constexpr float CurveDefaults[nParticleModel::CurveCount] = {0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f};

int FindCurve(const nString& name)
{
    for (int curve = 0; curve < nParticleModel::CurveCount; ++curve)
        if (name == CurveNames[curve])
            return curve;
    return -1;
}
} // namespace

void* nParticleModel::operator new(size_t size) noexcept
{
    return MemNew(size, MemCategoryGeneral);
}

void nParticleModel::operator delete(void* memory) noexcept
{
    MemDelete(memory, MemCategoryGeneral);
}

nParticleModel::nParticleModel(nEngineServices* engine) : material(engine)
{
    for (int curve = 0; curve < CurveCount; ++curve)
        curves[curve].SetDefaultValue(CurveDefaults[curve]);
}

nParticleModel::~nParticleModel() = default;

const char* nParticleModel::GetCurveName(int curve)
{
    return curve >= 0 && curve < CurveCount ? CurveNames[curve] : "";
}

bool nParticleModel::AddColorKey(float time, float red, float green, float blue, float alpha)
{
    const float values[4] = {red, green, blue, alpha};
    const int targets[4] = {CurveRed, CurveGreen, CurveBlue, CurveOpacity};
    bool added = true;
    for (int index = 0; index < 4; ++index)
    {
        auto* knot = new nCurvePoint(time, values[index]);
        if (!curves[targets[index]].AddKnot(knot))
        {
            delete knot;
            added = false;
        }
    }
    return added;
}

bool nParticleModel::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    name = file.GetFileName();
    if (!CheckBlockName(tag, Block, "Could not parse particle model. Root tag id is incorrect ("))
        return false;
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& childName = child->GetName();
        const int curve = FindCurve(childName);
        if (childName == "Material")
            material.ParseTag(file, *child);
        else if (childName == "TTL")
            ReadPositiveRealTag(*child, Block, timeToLive); // a particle would die at birth
        else if (childName == "Damping")
            ReadPositiveRealTag(*child, Block, damping, true); // a negative factor has no powers
        else if (childName == "Gravity")
            ReadVectorTag(*child, Block, gravity);
        else if (const nMetaTag* knots = curve >= 0 ? child->GetTag("Curve") : nullptr)
            curves[curve].Parse(&file, knots);
        else
            LogUnknownTag(*child, Block);
    }
    state |= StateChanged;
    return true;
}

nMetaTag* nParticleModel::SerializeTag(nMetaFile& file)
{
    nMetaTag* tag = new nMetaTag(Block);
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not serialize particle model. Failed to create root tag.\n";
        return nullptr;
    }
    AddChildBlock(*tag, material.SerializeTag(file));
    tag->AddChildFloat("TTL", timeToLive);
    tag->AddChildFloat("Damping", damping);
    WriteVectorTag(*tag, "Gravity", gravity);
    for (int curve = 0; curve < CurveCount; ++curve)
        if (nMetaTag* holder = tag->AddChild(CurveNames[curve]))
            AddChildBlock(*holder, curves[curve].Serialize(&file));
    return tag;
}
