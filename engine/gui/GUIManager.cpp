#include "gui/GUIManager.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

#include "core/MessageManager.h"
#include "render/CameraManager.h"
#include "render/ShaderManager.h"
#include "render/Window.h"

namespace
{
std::string FormatText(char const* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int const length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0)
        return std::string();
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(static_cast<std::size_t>(length));
    return text;
}
} // namespace

CGUIManager::~CGUIManager()
{
    Destroy();
}

void CGUIManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                         CFileManager* fileManager, CWindow* window, CTimerManager* timerManager,
                         CCameraManager* cameraManager, CShaderManager* shaderManager,
                         CModelManager* modelManager, CControls* controls, CSoundManager* soundManager)
{
    Destroy();
    m_context.messageManager = messageManager;
    m_context.memoryManager = memoryManager;
    m_context.fileManager = fileManager;
    m_context.window = window;
    m_context.timerManager = timerManager;
    m_context.cameraManager = cameraManager;
    m_context.shaderManager = shaderManager;
    m_context.modelManager = modelManager;
    m_context.controls = controls;
    m_context.soundManager = soundManager;
    m_nextId = 0;
    m_releasedIds.clear();

    m_cameraIndex = cameraManager->AddCamera(CT_ORTHOGRAPHIC);
    m_context.cameraIndex = m_cameraIndex;
    CCamera* camera = cameraManager->GetCamera(m_cameraIndex);
    camera->SetNearPlaneDistance(CameraNearPlane);
    camera->SetFarPlaneDistance(CameraFarPlane);
    if (window && window->GetWidth() > 0 && window->GetHeight() > 0)
        camera->SetScreenSize(static_cast<float>(window->GetWidth()),
                              static_cast<float>(window->GetHeight()));
    m_free = false;

    CShaderDescriptor cursorShader;
    shaderManager->CreateShaderDescriptor(&cursorShader, 0u);
    m_mainCursorId = AddCursor(1.0f, cursorShader);
    m_cursors[m_mainCursorId]->Show(false);
}

void CGUIManager::Destroy()
{
    if (m_free)
        return;
    m_windowFonts.clear();
    m_windows.clear();
    m_cursors.clear();
    m_fonts.clear();
    if (m_context.cameraManager && !m_context.cameraManager->IsFree())
        m_context.cameraManager->RemoveCamera(m_cameraIndex);
    m_releasedIds.clear();
    m_nextId = 0;
    m_free = true;
}

unsigned int CGUIManager::TakeId()
{
    if (!m_releasedIds.empty()) {
        unsigned int const id = m_releasedIds.front();
        m_releasedIds.pop_front();
        return id;
    }
    return m_nextId++;
}

void CGUIManager::ReleaseId(unsigned int id)
{
    m_releasedIds.push_back(id);
}

void CGUIManager::SetScreenSize(float width, float height)
{
    if (CCamera* camera =
            m_context.cameraManager ? m_context.cameraManager->GetCamera(m_cameraIndex) : nullptr)
        camera->SetScreenSize(width, height);
}

float CGUIManager::GetScreenWidth() const
{
    CCamera* camera = m_context.cameraManager ? m_context.cameraManager->GetCamera(m_cameraIndex) : nullptr;
    return camera ? camera->GetScreenWidth() : 0.0f;
}

float CGUIManager::GetScreenHeight() const
{
    CCamera* camera = m_context.cameraManager ? m_context.cameraManager->GetCamera(m_cameraIndex) : nullptr;
    return camera ? camera->GetScreenHeight() : 0.0f;
}

unsigned int CGUIManager::AddWindow(unsigned int const& properties, CVector2 const& position,
                                    CVector2 const& size, CShaderDescriptor const& shader, CGUIWindow* parent)
{
    auto window = std::make_unique<CGUIWindow>();
    window->Create(m_context, properties, position, size, shader, parent);
    return AddOwned(m_windows, std::move(window));
}

template <typename T> unsigned int CGUIManager::AddOwned(Owned<T>& map, std::unique_ptr<T> element)
{
    unsigned int const id = TakeId();
    map[id] = std::move(element);
    return id;
}

unsigned int CGUIManager::AddButton(unsigned int const& properties, CVector2 const& position,
                                    CVector2 const& size, CShaderDescriptor const& shader, CGUIWindow* parent,
                                    char const* overSound, char const* clickSound)
{
    auto button = std::make_unique<CGUIButton>();
    button->Create(m_context, properties, position, size, shader, parent, overSound, clickSound);
    return AddOwned(m_windows, std::unique_ptr<CGUIWindow>(std::move(button)));
}

unsigned int CGUIManager::AddCheckBox(unsigned int const& properties, CVector2 const& position,
                                      CVector2 const& size, CShaderDescriptor const& shader,
                                      CGUIWindow* parent, char const* overSound, char const* clickSound)
{
    auto box = std::make_unique<CGUICheckBox>();
    box->Create(m_context, properties, position, size, shader, parent, overSound, clickSound);
    return AddOwned(m_windows, std::unique_ptr<CGUIWindow>(std::move(box)));
}

unsigned int CGUIManager::AddEditBox(unsigned int const& properties, CVector2 const& position,
                                     CVector2 const& size, CShaderDescriptor const& shader,
                                     CGUIWindow* parent, unsigned int fontId, CVector2 const& textOffset,
                                     CColor const& textColor, unsigned int maxCharacters,
                                     char cursorCharacter, char const* typingSound)
{
    return AddEditBox(properties, position, size, shader, parent, GetFont(fontId), textOffset, textColor,
                      maxCharacters, cursorCharacter, typingSound);
}

unsigned int CGUIManager::AddEditBox(unsigned int const& properties, CVector2 const& position,
                                     CVector2 const& size, CShaderDescriptor const& shader,
                                     CGUIWindow* parent, CGUIFont* font, CVector2 const& textOffset,
                                     CColor const& textColor, unsigned int maxCharacters,
                                     char cursorCharacter, char const* typingSound)
{
    if (!font)
        m_context.messageManager->WriteFatalError("GUI: an edit box needs a font");
    auto box = std::make_unique<CGUIEditBox>();
    box->Create(m_context, properties, position, size, shader, parent, font, textOffset, textColor,
                maxCharacters, cursorCharacter, typingSound);
    return AddOwned(m_windows, std::unique_ptr<CGUIWindow>(std::move(box)));
}

unsigned int CGUIManager::AddComboBox(unsigned int const& properties, CVector2 const& position,
                                      CVector2 const& size, CShaderDescriptor const& shader,
                                      CShaderDescriptor const& listShader, CGUIWindow* parent,
                                      unsigned int fontId, CColor const& textColor, char const* overSound,
                                      char const* clickSound)
{
    return AddComboBox(properties, position, size, shader, listShader, parent, GetFont(fontId), textColor,
                       overSound, clickSound);
}

unsigned int CGUIManager::AddComboBox(unsigned int const& properties, CVector2 const& position,
                                      CVector2 const& size, CShaderDescriptor const& shader,
                                      CShaderDescriptor const& listShader, CGUIWindow* parent, CGUIFont* font,
                                      CColor const& textColor, char const* overSound, char const* clickSound)
{
    if (!font)
        m_context.messageManager->WriteFatalError("GUI: a combo box needs a font");
    auto box = std::make_unique<CGUIComboBox>();
    box->Create(m_context, properties, position, size, shader, listShader, parent, font, textColor, overSound,
                clickSound);
    return AddOwned(m_windows, std::unique_ptr<CGUIWindow>(std::move(box)));
}

unsigned int CGUIManager::AddSlider(unsigned int const& properties, CVector2 const& position,
                                    CVector2 const& size, CShaderDescriptor const& shader,
                                    CShaderDescriptor const& toddlerShader, CVector2 const& toddlerSize,
                                    CGUIWindow* parent, char const* overSound, char const* clickSound)
{
    auto slider = std::make_unique<CGUISlider>();
    slider->Create(m_context, properties, position, size, shader, toddlerShader, toddlerSize, parent,
                   overSound, clickSound);
    return AddOwned(m_windows, std::unique_ptr<CGUIWindow>(std::move(slider)));
}

unsigned int CGUIManager::AddScroll(unsigned int const& properties, CVector2 const& position,
                                    CVector2 const& size, CShaderDescriptor const& shader,
                                    CShaderDescriptor const& thumbShader, CGUIWindow* parent)
{
    auto scroll = std::make_unique<CGUIScroll>();
    scroll->Create(m_context, properties, position, size, shader, thumbShader, parent);
    return AddOwned(m_windows, std::unique_ptr<CGUIWindow>(std::move(scroll)));
}

unsigned int CGUIManager::AddCursor(float size, CShaderDescriptor const& shader)
{
    auto cursor = std::make_unique<CGUICursor>();
    cursor->Create(m_context, size, shader);
    return AddOwned(m_cursors, std::move(cursor));
}

unsigned int CGUIManager::AddCursor(CModel const& model)
{
    auto cursor = std::make_unique<CGUICursor>();
    cursor->Create(m_context, model);
    return AddOwned(m_cursors, std::move(cursor));
}

unsigned int CGUIManager::AddFont(CShaderDescriptor const& shader, char const* fileName)
{
    auto font = std::make_unique<CGUIFont>();
    font->Create(m_context.messageManager, m_context.memoryManager, m_context.fileManager,
                 m_context.shaderManager, m_context.modelManager, m_cameraIndex, shader, fileName);
    return AddOwned(m_fonts, std::move(font));
}

unsigned int CGUIManager::AddWindowFont(CGUIFont* font, CGUIWindow* window, unsigned int capacity)
{
    float const depth = window->GetDepth() - CGUIWindow::TextDepthOffset;
    for (auto const& [id, copy] : m_windowFonts) {
        if (copy->GetParentFont() != font || std::fabs(copy->GetModelDepthValue() - depth) > DepthTolerance)
            continue;
        if (copy->GetCapacity() >= capacity)
            return id;
        // Too small for what is asked: a larger copy replaces it (before anything is printed).
        RemoveWindowFont(id);
        break;
    }
    auto copy = std::make_unique<CGUIFont>();
    copy->Create(font, capacity);
    copy->SetModelDepthValue(depth);
    return AddOwned(m_windowFonts, std::move(copy));
}

template <typename T> void CGUIManager::RemoveOwned(Owned<T>& map, unsigned int id)
{
    auto const found = map.find(id);
    if (found == map.end())
        return;
    map.erase(found);
    ReleaseId(id);
}

template <typename T> void CGUIManager::RemoveWidget(unsigned int id)
{
    if (FindWidget<T>(id))
        RemoveOwned(m_windows, id);
}

void CGUIManager::RemoveWindow(unsigned int id)
{
    RemoveOwned(m_windows, id);
}

void CGUIManager::RemoveButton(unsigned int id)
{
    RemoveWidget<CGUIButton>(id);
}

void CGUIManager::RemoveCheckBox(unsigned int id)
{
    RemoveWidget<CGUICheckBox>(id);
}

void CGUIManager::RemoveEditBox(unsigned int id)
{
    RemoveWidget<CGUIEditBox>(id);
}

void CGUIManager::RemoveComboBox(unsigned int id)
{
    RemoveWidget<CGUIComboBox>(id);
}

void CGUIManager::RemoveSlider(unsigned int id)
{
    RemoveWidget<CGUISlider>(id);
}

void CGUIManager::RemoveScroll(unsigned int id)
{
    RemoveWidget<CGUIScroll>(id);
}

void CGUIManager::RemoveCursor(unsigned int id)
{
    RemoveOwned(m_cursors, id);
}

void CGUIManager::RemoveFont(unsigned int id)
{
    CGUIFont const* font = GetFont(id);
    if (!font)
        return;
    for (auto copy = m_windowFonts.begin(); copy != m_windowFonts.end();) {
        auto const next = std::next(copy);
        if (copy->second->GetParentFont() == font)
            RemoveWindowFont(copy->first);
        copy = next;
    }
    RemoveOwned(m_fonts, id);
}

void CGUIManager::RemoveWindowFont(unsigned int id)
{
    RemoveOwned(m_windowFonts, id);
}

CVector2 CGUIManager::GetCursorPosition() const
{
    CGUICursor const* cursor = GetCursor(m_mainCursorId);
    return cursor ? cursor->GetPosition() : CVector2(0.0f, 0.0f);
}

void CGUIManager::PrintText(bool centerHorizontally, bool centerVertically, CGUIFont* font,
                            CGUIWindow* window, CVector2 const& position, CColor const& color,
                            CColor const* colors, std::string const& text)
{
    if (m_free || !font || !window || !window->IsVisible())
        return;
    CVector2 place = position;
    if (centerHorizontally)
        place.x = 0.5f * (window->GetSize().x - font->GetStringWidth(text.c_str()));
    if (centerVertically)
        place.y = 0.5f * (window->GetSize().y - font->GetSize());
    place = place + window->GetAbsolutePosition();

    CGUIFont* copy = GetWindowFont(AddWindowFont(font, window));
    if (colors)
        copy->Print(place, colors, text);
    else
        copy->Print(place, color, text);
}

#define TIDEWELL_GUI_FORMAT(text, format)                                                                    \
    va_list args;                                                                                            \
    va_start(args, format);                                                                                  \
    std::string const text = FormatText(format, args);                                                       \
    va_end(args)

void CGUIManager::Print(CGUIFont* font, CGUIWindow* window, CVector2 const& position, CColor const& color,
                        char const* format, ...)
{
    TIDEWELL_GUI_FORMAT(text, format);
    PrintText(false, false, font, window, position, color, nullptr, text);
}

void CGUIManager::Print(unsigned int fontId, unsigned int windowId, CVector2 const& position,
                        CColor const& color, char const* format, ...)
{
    TIDEWELL_GUI_FORMAT(text, format);
    PrintText(false, false, GetFont(fontId), GetWindow(windowId), position, color, nullptr, text);
}

void CGUIManager::Print(CGUIFont* font, CGUIWindow* window, CVector2 const& position, CColor const* colors,
                        char const* format, ...)
{
    TIDEWELL_GUI_FORMAT(text, format);
    PrintText(false, false, font, window, position, CColor(), colors, text);
}

void CGUIManager::Print(unsigned int fontId, unsigned int windowId, CVector2 const& position,
                        CColor const* colors, char const* format, ...)
{
    TIDEWELL_GUI_FORMAT(text, format);
    PrintText(false, false, GetFont(fontId), GetWindow(windowId), position, CColor(), colors, text);
}

void CGUIManager::Print(bool centerHorizontally, bool centerVertically, CGUIFont* font, CGUIWindow* window,
                        CVector2 const& position, CColor const& color, char const* format, ...)
{
    TIDEWELL_GUI_FORMAT(text, format);
    PrintText(centerHorizontally, centerVertically, font, window, position, color, nullptr, text);
}

void CGUIManager::Print(bool centerHorizontally, bool centerVertically, unsigned int fontId,
                        unsigned int windowId, CVector2 const& position, CColor const& color,
                        char const* format, ...)
{
    TIDEWELL_GUI_FORMAT(text, format);
    PrintText(centerHorizontally, centerVertically, GetFont(fontId), GetWindow(windowId), position, color,
              nullptr, text);
}

void CGUIManager::Print(bool centerHorizontally, bool centerVertically, CGUIFont* font, CGUIWindow* window,
                        CVector2 const& position, CColor const* colors, char const* format, ...)
{
    TIDEWELL_GUI_FORMAT(text, format);
    PrintText(centerHorizontally, centerVertically, font, window, position, CColor(), colors, text);
}

void CGUIManager::Print(bool centerHorizontally, bool centerVertically, unsigned int fontId,
                        unsigned int windowId, CVector2 const& position, CColor const* colors,
                        char const* format, ...)
{
    TIDEWELL_GUI_FORMAT(text, format);
    PrintText(centerHorizontally, centerVertically, GetFont(fontId), GetWindow(windowId), position, CColor(),
              colors, text);
}

#undef TIDEWELL_GUI_FORMAT

void CGUIManager::Refresh()
{
    if (m_free)
        return;
    RemoveUnusedWindowFonts();
    for (auto& [id, cursor] : m_cursors)
        cursor->Refresh();
    RefreshElements(GetCursorPosition());
}

void CGUIManager::Refresh(CVector2 const& cursorPosition)
{
    if (m_free)
        return;
    RemoveUnusedWindowFonts();
    RefreshElements(cursorPosition);
}

void CGUIManager::RemoveUnusedWindowFonts()
{
    for (auto copy = m_windowFonts.begin(); copy != m_windowFonts.end();) {
        auto const next = std::next(copy);
        if (copy->second->GetCharactersCount() == 0)
            RemoveWindowFont(copy->first);
        copy = next;
    }
}

CGUIComboBox* CGUIManager::GetOpenedComboBox() const
{
    for (auto const& [id, window] : m_windows) {
        CGUIComboBox* box = AsWidget<CGUIComboBox>(window.get());
        if (box && box->IsOpened() && box->IsVisible())
            return box;
    }
    return nullptr;
}

CGUIWindow* CGUIManager::GetMouseOwner() const
{
    if (CGUIComboBox* box = GetOpenedComboBox())
        return box;
    for (auto const& [id, window] : m_windows) {
        if ((window->GetProperties() & GWP_MODAL) && window->IsVisible())
            return window.get();
    }
    return nullptr;
}

void CGUIManager::RefreshElements(CVector2 const& cursorPosition)
{
    // An open list or a modal window takes the mouse: no other element sees the pointer or its
    // clicks, so a click on an item does not also reach the widget under it.
    CGUIWindow const* const owner = GetMouseOwner();
    CVector2 const elsewhere(-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max());
    auto const owned = [owner](CGUIWindow const* window) {
        for (; window; window = window->GetParent()) {
            if (window == owner)
                return true;
        }
        return false;
    };
    for (auto& [id, window] : m_windows)
        window->Refresh(!owner || owned(window.get()) ? cursorPosition : elsewhere);
    for (auto& [id, font] : m_fonts)
        font->Refresh();
    for (auto& [id, copy] : m_windowFonts)
        copy->Refresh();
}
