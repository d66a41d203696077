// The gate between the ball's start and the stack: it rings once for each item that passes in.
class Gate
{
    function OnItemEnter(gate, item)
    {
        print("trigger entered by " + ItemGetName(item));
        local channel = MixerSoundStart(EngineGetMixer(g_engine), EngineLoadSound(g_engine, "knock.wav"));
        print("sound started on the trigger: " + (channel != MixerChannelInvalid));
    }
}
