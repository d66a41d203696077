#include "platform/nWindowEvents.h"

#include <SDL.h>

bool PumpWindowEvents()
{
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0)
        return true;
    bool open = true;
    SDL_Event event;
    while (SDL_PollEvent(&event))
    {
        if (event.type == SDL_QUIT ||
            (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE))
            open = false;
    }
    return open;
}
