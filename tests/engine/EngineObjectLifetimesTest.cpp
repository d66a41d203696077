#include "animation/ChannelPlayer.h"
#include "animation/nAnimationSourceList.h"
#include "engine/Quenvar.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"

#include <gtest/gtest.h>

namespace
{
TEST(AnimationPlayer, ScriptOwnedSourceListsAreDestroyedThroughTheirHandleType)
{
    Quenvar engine;
    const nObjectTypeLifetime* lifetime = GetObjectTypeLifetime(ObjectTypeAnimationSource);
    ASSERT_NE(lifetime, nullptr);
    ASSERT_NE(lifetime->destroy, nullptr);
    auto* list = new nAnimationSourceList;
    {
        ChannelPlayer player;
        player.SetMotion(ConstantMotion(player, "a", 1.0f), list, 0.0f, false, 1.0f);
    }
    lifetime->destroy(list); // the source outlived its player; ASan checks nothing dangles
}
} // namespace
