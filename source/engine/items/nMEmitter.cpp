#include "engine/items/nMEmitter.h"

#include "engine/Quenvar.h"
#include "engine/items/nManagedBlock.h"
#include "engine/scene/nScene.h"

nMEmitter::nMEmitter(nScene* scene) : nMItem(scene, ItemTypeEmitter), m_emitter(scene->GetEngine())
{
    AttachItem(m_emitter);
    SetPriority(DefaultPriority);
}

nMEmitter::~nMEmitter()
{
    Retire();
}

void nMEmitter::Update()
{
    Quenvar* engine = GetScene()->GetEngine();
    m_emitter.Update(engine ? engine->GetDeltaFrame() : 0.0f);
}

void nMEmitter::PrepareRender()
{
    static_cast<nItem&>(m_emitter).Update();
}

void nMEmitter::Setup()
{
    m_emitter.AllocatePool(&GetScene()->GetParticlePoolBudget(), GetName().GetText());
    nMItem::Setup();
}

bool nMEmitter::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    return ParseManagedBlock(
        file, tag, *this,
        {"MEmitter", "Emitter", "could not parse managed emitter. Root tag id is incorrect ("},
        [this](nMetaFile& f, nMetaTag& part) { m_emitter.ParseTag(f, part); });
}

nMetaTag* nMEmitter::SerializeTag(nMetaFile& file)
{
    return SerializeManagedBlock(file, *this, "MEmitter", "Could not create managed root tag to serialize.\n",
                                 m_emitter.SerializeTag(file));
}
