#include "ui/nScene2D.h"

#include "core/base/nLog.h"
#include "core/picture/nPicture.h"
#include "platform/nHID.h"
#include "render/nEngineServices.h"
#include "render/nFontPair.h"
#include "render/nRenderer.h"
#include "render/nTextFlags.h"
#include "script/nObjectType.h"
#include "script/nObjectTypeLifetime.h"
#include "script/nScriptVM.h"
#include "script/units/nScriptEvent.h"
#include "ui/nItem2D.h"
#include "ui/nSprite2D.h"
#include "ui/nWindow.h"

#include <climits>
#include <cmath>
#include <new>

namespace
{
// A 2D scene a script made and owns goes with the script's last handle.
void DeleteOwnedScene2D(void* scene)
{
    delete static_cast<nScene2D*>(scene);
}
} // namespace

nScene2D::nScene2D(nEngineServices* engine, nScriptVM* vm, const char* name)
    : m_engine(engine), m_vm(vm), m_unit(vm), m_name(name), m_mouse(nHID::GetInstance().GetMouse())
{
    m_unit.SetOwner(this, ObjectTypeWindowSystem);
    Define("toalpha", Command2DToAlpha, 1);
    Define("toposition", Command2DToPosition, 2);
    Define("toscale", Command2DToScale, 2);
    Define("toangle", Command2DToAngle, 1);
    Define("show", Command2DShow, 0);
    Define("hide", Command2DHide, 0);
    Define("globalfade", Command2DGlobalFade, 1);
    nObjectTypeLifetime lifetime;
    lifetime.destroy = DeleteOwnedScene2D;
    SetObjectTypeLifetime(ObjectTypeWindowSystem, lifetime);
}

nScene2D::~nScene2D()
{
    Clear();
    m_unit.ReleaseInstance();
    if (m_vm)
        m_vm->InvalidateNativeObject(this);
}

bool nScene2D::Setup()
{
    if (!m_unit.Instantiate())
        return false;
    SendUnitEvent("OnSetup", nullptr, false);
    return true;
}

void nScene2D::Reset()
{
    SendUnitEvent("OnReset", nullptr, false);
}

void nScene2D::SendUnitEvent(const char* name, nScriptObject* method, bool withFrameTime)
{
    nScriptEventArguments arguments;
    if (withFrameTime)
    {
        arguments.kind = nScriptEventArguments::Float;
        arguments.number = m_engine ? m_engine->GetDeltaFrame() : 0.0f;
    }
    SendScriptEvent(&m_unit, name, method, arguments);
}

void nScene2D::Clear()
{
    SendUnitEvent("OnDelete", nullptr, false);
    ClearSkin();
    m_cursor = nullptr;
    m_dragged = nullptr;
    ResetInput();
    while (auto* node = m_items.GetHead())
    {
        nItem2D* item = node->value;
        m_items.RemoveNode(node);
        delete item;
    }
    m_fade = 0.0f;
    m_fadeColor = nColor(0.0f, 0.0f, 0.0f, 1.0f);
}

void nScene2D::ResetInput()
{
    m_input = nScene2DInput();
    m_previousInput = nScene2DInput();
    m_cursorHiding = false;
}

void nScene2D::DrawStatistics(const nFontPair& fonts, float& x, float& y)
{
    nRenderer* renderer = m_engine ? m_engine->GetRenderer() : nullptr;
    if (!renderer)
        return;
    const nTextFlags flags;
    renderer->Write(fonts.bold, "Scene 2D:\n\n", x, y, flags, 1.0f, nullptr, 0);
    const nString count = nString::Format("Window count = %d\n\n", int(m_items.GetCount()));
    renderer->Write(fonts.regular, count.GetText(), x, y, flags, 1.0f, nullptr, 0);
}

int32_t nScene2D::SetCommandList(const char* text)
{
    return CompileCommandList(text, this);
}

nItem2D* nScene2D::AddItem(nItem2D* item)
{
    if (!item)
        return nullptr;
    m_listeners.Broadcast(Scene2DMessageItemAdding, item);
    if (!m_items.PushBack(item))
    {
        nLogHolder::Get() << "[!] Failed to allocate the list entry of 2D item '" << item->GetName()
                          << "'.\n";
        delete item;
        return nullptr;
    }
    m_listeners.Broadcast(Scene2DMessageItemAdded, item);
    return item;
}

void nScene2D::DeleteItem(nItem2D* item)
{
    if (!item)
        return;
    if (!m_items.Find(item))
    {
        nLogHolder::Get() << "[*] 2D item '" << item->GetName()
                          << "' is not in this scene and is not deleted.\n";
        return;
    }
    while (!item->GetChildren().IsEmpty())
        item->GetChildren().GetHead()->value->SetParent(nullptr);
    ForgetItem(item);
    m_items.Remove(item);
    delete item;
}

void nScene2D::ForgetItem(nItem2D* item)
{
    if (m_cursor == item)
        m_cursor = nullptr;
    if (m_dragged == item)
        m_dragged = nullptr;
    const nWindow* window = item->GetType() == Item2DWindow ? static_cast<nWindow*>(item) : nullptr;
    for (nScene2DInput* input : {&m_input, &m_previousInput})
    {
        if (input->window == item)
            input->window = nullptr;
        if (!window)
            continue;
        if (window->OwnsWidget(input->widget.Get()))
            input->widget = nullptr;
        for (nWeakPtr<nWidget>& pressed : input->pressed)
            if (window->OwnsWidget(pressed.Get()))
                pressed = nullptr;
    }
}

// The list holds plain pointers and nobody keeps its nodes, so a move may take a new node.
void nScene2D::InsertAtHead(nItem2D* item)
{
    auto* head = m_items.GetHead();
    if (!head)
    {
        m_items.PushBack(item);
        return;
    }
    if (auto* second = m_items.InsertAfter(item, head))
    {
        second->value = head->value;
        head->value = item;
    }
}

void nScene2D::MoveItemToFront(nItem2D* item, nItem2D* before)
{
    if (!item || !m_items.Find(item))
        return;
    m_items.Remove(item);
    auto* anchor = before ? m_items.Find(before) : nullptr;
    if (anchor && anchor->prev)
        m_items.InsertAfter(item, anchor->prev);
    else
        InsertAtHead(item);
}

void nScene2D::MoveItemToBack(nItem2D* item, nItem2D* after)
{
    if (!item || !m_items.Find(item))
        return;
    m_items.Remove(item);
    auto* anchor = after ? m_items.Find(after) : nullptr;
    m_items.InsertAfter(item, anchor ? anchor : m_items.GetTail());
}

nItem2D* nScene2D::FindItemBySerial(int32_t serial) const
{
    for (auto* node = m_items.GetHead(); node; node = node->next)
        if (node->value->GetSerial() == serial)
            return node->value;
    return nullptr;
}

int32_t nScene2D::TakeSerial()
{
    if (m_nextSerial == INT32_MAX)
    {
        nLogHolder::Get() << "[!] The 2D scene has run out of item serial numbers.\n";
        return INT32_MAX;
    }
    return m_nextSerial++;
}

void nScene2D::ReserveSerial(int32_t serial)
{
    if (serial >= m_nextSerial)
        m_nextSerial = serial == INT32_MAX ? INT32_MAX : serial + 1;
}

void nScene2D::LockToWindow(nItem2D* window)
{
    if (!window)
    {
        nLogHolder::Get() << "[*] Cannot lock UI to NULL window.\n";
        return;
    }
    Unlock();
    for (auto* node = m_items.GetHead(); node; node = node->next)
        if (nSprite2D* sprite = AsSprite(node->value); sprite && !sprite->IsDescendantOf(window))
            sprite->AddStyle(StyleLocked);
}

void nScene2D::Unlock()
{
    for (auto* node = m_items.GetHead(); node; node = node->next)
        if (nSprite2D* sprite = AsSprite(node->value))
            sprite->RemoveStyle(StyleLocked);
}

void nScene2D::SetCursor(const char* picturePath)
{
    if (m_cursor)
        DeleteItem(m_cursor);
    m_cursor = nullptr;
    m_cursorHiding = false;
    if (!picturePath)
        return;
    auto* cursor = new (std::nothrow) nWindow(this, nullptr, "Cursor", "Cursor");
    if (!cursor)
    {
        nLogHolder::Get() << "[!] Failed to allocate new window.\n";
        return;
    }
    if (!AddItem(cursor))
        return;
    m_cursor = cursor;
    cursor->SetBackgroundPicture(picturePath);
    cursor->SetPivot(0.0f, 0.0f);
    cursor->SetStyle(StyleAlwaysOnTop | StyleResolutionInvariant);
    if (nPicture* picture = cursor->GetBackgroundPicture())
        cursor->SetSize(float(picture->GetWidth()), float(picture->GetHeight()));
}

void nScene2D::SetCursorAutoHideDelay(float seconds)
{
    m_autoHideDelay = seconds;
    if (seconds > 0.0f || !m_cursor)
        return;
    m_cursor->ResetCommandList();
    m_cursor->SetOpacity(1.0f);
    m_cursor->SetFlags(SpriteFlagVisible, true);
    m_cursorHiding = false;
}

bool nScene2D::SetSkin(const char* const paths[Scene2DSkinPartCount], uint32_t backgroundColor,
                       uint32_t titleColor, int32_t titleTop, int32_t titleHeight, int32_t titleSize,
                       const char* fontName)
{
    for (uint32_t part = 0; part < Scene2DSkinPartCount; ++part)
        if (!paths || !paths[part])
        {
            nLogHolder::Get() << "[!] A 2D skin needs all eight picture paths.\n";
            return false;
        }
    ClearSkin();
    bool complete = true;
    for (uint32_t part = 0; part < Scene2DSkinPartCount; ++part)
    {
        m_skin[part] = m_engine ? m_engine->LoadPicture(paths[part], false) : nullptr;
        complete = complete && m_skin[part];
    }
    m_skinBackgroundColor = backgroundColor;
    m_titleColor = titleColor;
    m_titleTop = titleTop;
    m_titleHeight = titleHeight;
    m_titleSize = titleSize;
    m_skinFont = fontName ? fontName : "Default";
    m_skinComplete = complete;
    return complete;
}

void nScene2D::ClearSkin()
{
    for (nSharedPtr<nPicture>& picture : m_skin)
        picture = nullptr;
    m_skinComplete = false;
}

bool nScene2D::UnloadBitmap(const char* path)
{
    return m_engine && path && m_engine->UnloadBitmap(path);
}

int32_t nScene2D::GetSkinWidth(nScene2DSkinPart part) const
{
    const nPicture* picture = m_skin[part].Get();
    return picture ? int32_t(picture->GetWidth()) : 0;
}

int32_t nScene2D::GetSkinHeight(nScene2DSkinPart part) const
{
    const nPicture* picture = m_skin[part].Get();
    return picture ? int32_t(picture->GetHeight()) : 0;
}

bool nScene2D::SetInternalResolution(float width, float height)
{
    if (!(width > 0.0f) || !(height > 0.0f) || std::isinf(width) || std::isinf(height))
    {
        nLogHolder::Get() << "[*] A 2D scene's internal resolution must be positive; it stays "
                          << m_internalWidth << " x " << m_internalHeight << ".\n";
        return false;
    }
    m_internalWidth = width;
    m_internalHeight = height;
    return true;
}

void nScene2D::SetFade(float fade)
{
    m_fade = std::isnan(fade) ? 0.0f : fade < 0.0f ? 0.0f : fade > 1.0f ? 1.0f : fade;
}

void nScene2D::SetFadeColor(int32_t red, int32_t green, int32_t blue)
{
    m_fadeColor = nColor(float(red) / 255.0f, float(green) / 255.0f, float(blue) / 255.0f, 1.0f);
}

// The offset is a translation in fractions of the internal resolution, applied after the item's
// own placement.
void nScene2D::SetLayerOffset(float x, float y)
{
    m_layerOffset = nMatrix3();
    m_layerOffset.m[6] = x / m_internalWidth;
    m_layerOffset.m[7] = y / m_internalHeight;
}
