#pragma once

#include "animation/nACEManager.h"
#include "animation/nACEUnit.h"
#include "core/base/MessageBroadcaster.h"
#include "core/base/nList.h"
#include "core/base/nMemoryBudget.h"
#include "core/base/nSharedObject.h"
#include "core/base/nSharedPtr.h"
#include "core/base/nWeakPtr.h"
#include "core/math/nColor.h"
#include "core/math/nMatrix3.h"
#include "core/nml/nMetaObject.h"
#include "platform/nstring/nString.h"
#include "ui/nScene2DListener.h"
#include "ui/nScene2DScriptUnit.h"
#include "ui/nWidget.h"

#include <cstdint>
#include <vector>

class nEngineServices;
class nHIDDevice;
class nItem2D;
class nPicture;
class nRenderer;
class nScriptVM;
class nSprite2D;
class nWindow;
struct nFontPair;

// The pictures of a skin, in the order SetSkin takes their paths.
enum nScene2DSkinPart : uint32_t
{
    Scene2DSkinTop = 0,
    Scene2DSkinLeft = 1,
    Scene2DSkinRight = 2,
    Scene2DSkinBottom = 3,
    Scene2DSkinTopLeft = 4,
    Scene2DSkinTopRight = 5,
    Scene2DSkinBottomLeft = 6,
    Scene2DSkinBottomRight = 7,
    Scene2DSkinPartCount = 8,
};

// What the mouse did in one frame. Widgets are held weakly, so a widget that goes away leaves
// nothing dangling here; items are forgotten by the scene when it deletes them.
struct nScene2DInput
{
    enum Button
    {
        Left = 0,
        Right = 1,
        Middle = 2,
        ButtonCount = 3,
    };

    nItem2D* window = nullptr; // the item below the cursor
    nWeakPtr<nWidget> widget;  // the widget below the cursor
    int32_t x = 0;             // cursor, internal-resolution pixels
    int32_t y = 0;
    bool down[ButtonCount] = {false, false, false};
    nWeakPtr<nWidget> pressed[ButtonCount]; // where each button last went down
};

// A 2D layer: a flat list of sprites and windows drawn over the 3D picture, head first, in the
// scene's internal resolution. Once a frame it runs its script's "OnUpdate", steps the command
// lists, routes the mouse to the items and widgets under it and draws. Every reference the scene
// holds to an item (cursor, dragged window, the items below the cursor) is dropped when the item
// is deleted; script handlers may delete items while the scene routes their events.
class nScene2D : public nSharedObject, public nMetaObject, public nACEManager, public nACEUnit
{
public:
    static constexpr float DefaultInternalWidth = 1280.0f;
    static constexpr float DefaultInternalHeight = 960.0f;
    // Items at this z-order or above are never below the cursor.
    static constexpr float CursorZOrderLimit = 100000.0f;

    nScene2D(nEngineServices* engine, nScriptVM* vm, const char* name = nullptr);
    // Runs Clear ("OnDelete"), then turns the script handles on the scene into dead ones.
    ~nScene2D() override;

    // Instantiates the script unit and, when that works, sends "OnSetup".
    bool Setup();
    void Reset();
    // The whole frame: "OnUpdate" unless skipped, command lists, draw order, mouse, drawing, fade.
    void Render(bool skipScriptUpdate);
    // Sends "OnDelete", drops the skin, deletes every item and zeroes the input and the fade.
    void Clear();
    // The scene's part of the statistics page, from (x, y) on; y ends below it.
    void DrawStatistics(const nFontPair& fonts, float& x, float& y);

    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;
    bool ExecuteCommand(nACECommand* command, float step) override;
    // Compiles the text onto the scene's own command list (the global fade); the number of
    // entries, or -1 after the compiler's line.
    int32_t SetCommandList(const char* text);

    // Appends the item at the tail, telling the listeners before and after; answers it.
    nItem2D* AddItem(nItem2D* item);
    // Unparents the item's children, forgets every reference to it, and deletes it. An item
    // that is not in the list is left alone after a "[*]" line.
    void DeleteItem(nItem2D* item);
    // Just before "before", or at the head when it is null or not listed.
    void MoveItemToFront(nItem2D* item, nItem2D* before);
    // Just after "after", or at the tail when it is null or not listed.
    void MoveItemToBack(nItem2D* item, nItem2D* after);
    const nList<nItem2D*>& GetItems() const { return m_items; }
    uint32_t GetItemCount() const { return m_items.GetCount(); }
    // The first item in list order with the serial, or null.
    nItem2D* FindItemBySerial(int32_t serial) const;
    int32_t TakeSerial();
    // A serial read from a file: new items are numbered after it.
    void ReserveSerial(int32_t serial);
    // What the caches of the scene's windows may take together: far more than a real game's
    // layer needs, far less than four windows at the largest cache side would.
    static constexpr size_t WindowCacheBudgetBytes = size_t(256) << 20;
    nMemoryBudget& GetWindowCacheBudget() { return m_windowCacheBudget; }
    // The stamp under which the items drawing now read their inherited state; 0 outside the draw
    // loop of Render.
    uint32_t GetDrawStamp() const { return m_drawStamp; }

    // Locks every sprite and window but the window and its descendants; null is refused.
    void LockToWindow(nItem2D* window);
    void Unlock();

    // Deletes the cursor; with a path, makes a new one showing the picture.
    void SetCursor(const char* picturePath);
    nWindow* GetCursor() const { return m_cursor; }
    void SetCursorAutoHideDelay(float seconds);
    float GetCursorAutoHideDelay() const { return m_autoHideDelay; }
    nItem2D* GetWindowBelowCursor() const { return m_input.window; }
    nItem2D* GetDraggedWindow() const { return m_dragged; }
    const nScene2DInput& GetInput() const { return m_input; }
    const nScene2DInput& GetPreviousInput() const { return m_previousInput; }
    nHIDDevice* GetMouse() const { return m_mouse; }
    // The device the cursor follows (the input system's mouse by default); null: no input.
    void SetMouse(nHIDDevice* mouse) { m_mouse = mouse; }

    // Any null path fails at once, leaving the skin as it was; answers whether all eight
    // pictures loaded.
    bool SetSkin(const char* const paths[Scene2DSkinPartCount], uint32_t backgroundColor, uint32_t titleColor,
                 int32_t titleTop, int32_t titleHeight, int32_t titleSize, const char* fontName);
    // Drops the picture from the engine's picture cache; false when it is not there.
    bool UnloadBitmap(const char* path);
    nPicture* GetSkinPicture(nScene2DSkinPart part) const { return m_skin[part].Get(); }
    // A missing picture counts as 0 pixels.
    int32_t GetSkinWidth(nScene2DSkinPart part) const;
    int32_t GetSkinHeight(nScene2DSkinPart part) const;
    bool IsSkinComplete() const { return m_skinComplete; }
    uint32_t GetSkinBackgroundColor() const { return m_skinBackgroundColor; }
    uint32_t GetTitleColor() const { return m_titleColor; }
    int32_t GetTitleTop() const { return m_titleTop; }
    int32_t GetTitleHeight() const { return m_titleHeight; }
    int32_t GetTitleSize() const { return m_titleSize; }
    const nString& GetSkinFont() const { return m_skinFont; }

    // Refuses sizes that are not positive numbers with a "[*]" line.
    bool SetInternalResolution(float width, float height);
    float GetInternalWidth() const { return m_internalWidth; }
    float GetInternalHeight() const { return m_internalHeight; }
    float GetFade() const { return m_fade; }
    // Clamped to 0..1.
    void SetFade(float fade);
    // Components 0 to 255; alpha 1.
    void SetFadeColor(int32_t red, int32_t green, int32_t blue);
    const nColor& GetFadeColor() const { return m_fadeColor; }
    bool GetUseRawClock() const { return m_useRawClock; }
    void SetUseRawClock(bool raw) { m_useRawClock = raw; }
    // Moves every item placed in internal pixels by (x, y) of them.
    void SetLayerOffset(float x, float y);
    const nMatrix3& GetLayerOffset() const { return m_layerOffset; }
    // Item space to the clip space of the scene's 2D projection.
    nMatrix3 GetItemProjection(bool resolutionInvariant, nRenderer* renderer) const;

    nEngineServices* GetEngine() const { return m_engine; }
    nScriptVM* GetVM() const { return m_vm; }
    nScene2DScriptUnit& GetScriptUnit() { return m_unit; }
    const nString& GetName() const { return m_name; }
    void SetName(const char* name) { m_name = name; }
    MessageBroadcaster<nScene2DMessage, nScene2DListener>& GetListeners() { return m_listeners; }

private:
    void SendUnitEvent(const char* name, nScriptObject* method, bool withFrameTime);
    void InsertAtHead(nItem2D* item);
    void SortByZOrder();
    void ApplyStackingStyles();
    void ClearSkin();
    // Drops every reference to the item (and, for a window, to its widgets).
    void ForgetItem(nItem2D* item);
    void ResetInput();
    void DrawFade(nRenderer* renderer);
    float GetOutputAspect(nRenderer* renderer, float& width, float& height) const;

    // A stamp for nItem2D::GetInheritedState that no item holds yet (never 0).
    uint32_t NextStamp();
    // Logs that a load was stopped; false.
    bool StopLoading();

    // The mouse, in nScene2D_input.cpp.
    void UpdateInput(nRenderer* renderer);
    void UpdateCursorVisibility();
    nItem2D* FindItemBelowCursor();
    void SendButtonEvents();
    bool SendToWidgetChain(int32_t event);
    void HandleMouseDown(int32_t event);
    void SendEnterLeave();
    bool CanCallScripts() const;
    // A cursor coordinate in the layer's own pixels (before its offset).
    float GetLayerX(int32_t x) const;
    float GetLayerY(int32_t y) const;
    bool CallWindowEvent(nItem2D* item, int32_t event);
    bool CallWidgetEvent(int32_t event, nWidget* widget);
    bool CallHandler(const nEventHandler& handler, int32_t event, nScriptObject* table);

    nEngineServices* m_engine;
    nScriptVM* m_vm;
    nScene2DScriptUnit m_unit;
    nString m_name;
    MessageBroadcaster<nScene2DMessage, nScene2DListener> m_listeners;
    nHIDDevice* m_mouse;
    float m_lastMoveTime = 0.0f;
    float m_autoHideDelay = 0.0f;
    bool m_cursorHiding = false;
    nScene2DInput m_input;
    nScene2DInput m_previousInput;
    nWindow* m_cursor = nullptr;
    nMemoryBudget m_windowCacheBudget{WindowCacheBudgetBytes};
    uint32_t m_lastStamp = 0;
    uint32_t m_drawStamp = 0;
    nItem2D* m_dragged = nullptr;
    bool m_useRawClock = false;
    float m_internalWidth = DefaultInternalWidth;
    float m_internalHeight = DefaultInternalHeight;
    float m_fade = 0.0f;
    nList<nItem2D*> m_items;
    nSharedPtr<nPicture> m_skin[Scene2DSkinPartCount];
    bool m_skinComplete = false;
    uint32_t m_skinBackgroundColor = 0;
    nString m_skinFont{"Default"};
    int32_t m_titleTop = 12;
    int32_t m_titleHeight = 0;
    int32_t m_titleSize = 28;
    uint32_t m_titleColor = 0xFFFFFFFFu;
    nColor m_fadeColor{0.0f, 0.0f, 0.0f, 1.0f};
    nMatrix3 m_layerOffset;
    int32_t m_nextSerial = 0;
    std::vector<nItem2D*> m_walk; // the order ApplyStackingStyles walks, kept between frames
    bool m_rendering = false;
};
