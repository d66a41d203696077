#include "engine/items/nMConstraint.h"

#include "core/base/nLog.h"
#include "engine/items/nItemTags.h"
#include "engine/items/nManagedBlock.h"
#include "engine/scene/nScene.h"
#include "physics/nPhysicConstraint.h"
#include "physics/nPhysicWorld.h"

nMConstraint::nMConstraint(nScene* scene) : nMItem(scene, ItemTypeConstraint), m_item(scene->GetEngine())
{
    AttachItem(m_item);
    if (nPhysicWorld* world = scene->GetPhysicWorld())
        m_constraint = world->NewConstraint();
}

nMConstraint::~nMConstraint()
{
    ReleaseConstraint();
    Retire();
}

void nMConstraint::ReleaseConstraint()
{
    if (!m_constraint)
        return;
    m_constraint->Free();
    delete m_constraint;
    m_constraint = nullptr;
}

void nMConstraint::Setup()
{
    if (m_constraint)
        m_constraint->Setup();
}

void nMConstraint::ForgetPhysicItem(const nPhysicItem* item)
{
    if (!m_constraint || !item)
        return;
    if (m_constraint->GetItemA() == item)
        m_constraint->SetItemA(nullptr);
    if (m_constraint->GetItemB() == item)
        m_constraint->SetItemB(nullptr);
}

bool nMConstraint::ParseTag(nMetaFile& file, nMetaTag& tag)
{
    return ParseManagedBlock(file, tag, *this,
                             {"MConstraint", "Constraint", "Could not parse managed constraint. Root tag id is incorrect ("},
                             [this](nMetaFile&, nMetaTag& part) {
                                 if (m_constraint)
                                     m_constraint->ParseTag(&part);
                             });
}

nMetaTag* nMConstraint::SerializeTag(nMetaFile& file)
{
    return SerializeManagedBlock(file, *this, "MConstraint", "Could not create managed constraint tag to serialize.\n",
                                 m_constraint ? m_constraint->SerializeTag() : nullptr);
}
