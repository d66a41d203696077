#include "engine/items/nEmitter.h"

#include "core/base/nLog.h"
#include "core/nml/nMetaTag.h"
#include "engine/Quenvar.h"
#include "engine/items/nItemTags.h"

namespace
{
constexpr const char* Block = "Emitter";

// The reader's starting values, which the writer leaves out.
constexpr float ReadBirthRate = 1.0f;
constexpr float ReadSpeed = 1.0f;
constexpr int32_t ReadPoolSize = 100;

void WriteRealUnlessDefault(nMetaTag& block, const char* name, float value, float fallback)
{
    if (!(value == fallback)) // a NaN is written too
        block.AddChildFloat(name, value);
}
} // namespace

bool nEmitter::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    if (!CheckBlockName(tag, Block, "Could not parse emitter. Root tag id is incorrect ("))
        return false;
    m_birthRate = ReadBirthRate;
    m_speedMin = m_speedMax = ReadSpeed;
    m_poolSize = ReadPoolSize;
    m_type = TypeSpray;
    m_sprayAngle = DefaultSprayAngle;
    SetParticleModel(nullptr);
    nLinkedListIterator iterator;
    while (nMetaTag* child = tag.GetNextChild(iterator))
    {
        const nString& name = child->GetName();
        if (name == "Item")
            nItem::ParseTag(file, *child);
        else if (name == "SpeedMin")
            ReadRealTag(*child, Block, m_speedMin);
        else if (name == "SpeedMax")
            ReadRealTag(*child, Block, m_speedMax);
        else if (name == "BirthRate")
            ReadPositiveRealTag(*child, Block, m_birthRate, true); // a negative rate owes births without end
        else if (name == "PoolSize")
            ReadIntegerTag(*child, Block, m_poolSize);
        else if (name == "SprayAngle")
            ReadRealTag(*child, Block, m_sprayAngle);
        else if (name == "Type")
        {
            nString type;
            if (ReadStringTag(*child, Block, type) && type == "Spray")
                m_type = TypeSpray;
        }
        else if (name == "ParticleModel")
        {
            nString path;
            if (!ReadStringTag(*child, Block, path))
                continue;
            Quenvar* engine = GetEngine();
            nParticleModel* model =
                engine && !path.IsEmpty() ? engine->LoadParticleModel(path.GetText()) : nullptr;
            SetParticleModel(model);
            if (!model)
                m_unloadedModelName = path;
        }
        else
            LogUnknownTag(*child, Block);
    }
    return true;
}

nMetaTag* nEmitter::SerializeTag(nMetaFile& file) const
{
    nMetaTag* tag = new nMetaTag(Block);
    if (!tag)
    {
        nLogHolder::Get() << "[!] Could not serialize emitter. Failed to create root tag.\n";
        return nullptr;
    }
    AddChildBlock(*tag, nItem::SerializeTag(file));
    WriteRealUnlessDefault(*tag, "SpeedMin", m_speedMin, ReadSpeed);
    WriteRealUnlessDefault(*tag, "SpeedMax", m_speedMax, ReadSpeed);
    WriteRealUnlessDefault(*tag, "BirthRate", m_birthRate, ReadBirthRate);
    if (m_poolSize != ReadPoolSize)
        tag->AddChildInt("PoolSize", m_poolSize);
    tag->AddChildFloat("SprayAngle", m_sprayAngle);
    const nString& model = m_model ? m_model->name : m_unloadedModelName;
    if (!model.IsEmpty())
        tag->AddChildString("ParticleModel", model.GetText());
    return tag;
}
