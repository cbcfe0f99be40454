// A UI Automation client for scripts/windows/uia-check.sh: it reads what a
// Windows screen reader reads of the program, through UI Automation's client
// API. No Qt here, on purpose: the check must see the program from outside.
//
// Focus events come through IUIAutomation's focus-changed handler, as a
// screen reader gets them; Wine 10 produces focus events only once a client
// has asked that handler for them. Trees are read through the API's flat functions
// (UiaNodeFromHandle, UiaNavigate, UiaGetPropertyValue): Wine 10's element
// object answers E_NOTIMPL for the automation id, current or cached, while
// the node underneath it answers every property read here. The element of a
// focus event is therefore told without its automation id.
//
// Commands come one a line on standard input:
//   tree LABEL   the foreground window's raw tree, one element a line
//   quit
// Every focus-changed event is printed as it arrives ("focus: ELEMENT").
// Each command, each event and the whole run are bounded by a watchdog: a
// call into the program that never returns ends this client with status 3
// and a line naming what it was doing, instead of hanging the check.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <ole2.h>
#include <uiautomation.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace {

std::mutex outputMutex;

void emit(const std::string &line)
{
    std::lock_guard lock(outputMutex);
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// --- the watchdog -------------------------------------------------------------

using Clock = std::chrono::steady_clock;
std::mutex watchMutex;
std::map<int, std::pair<std::string, Clock::time_point>> watched;
int nextWatch = 0;

// Marks what the client is doing for as long as it lives; the watchdog ends
// the process when that takes longer than the bound.
class Bounded
{
public:
    Bounded(std::string what, int seconds)
    {
        std::lock_guard lock(watchMutex);
        m_id = nextWatch++;
        watched[m_id] = {std::move(what), Clock::now() + std::chrono::seconds(seconds)};
    }
    ~Bounded()
    {
        std::lock_guard lock(watchMutex);
        watched.erase(m_id);
    }
    Bounded(const Bounded &) = delete;
    Bounded &operator=(const Bounded &) = delete;

private:
    int m_id;
};

void watchdog()
{
    for (;;) {
        Sleep(100);
        std::lock_guard lock(watchMutex);
        for (const auto &[id, entry] : watched) {
            if (Clock::now() > entry.second) {
                emit("timeout: " + entry.first);
                ExitProcess(3);
            }
        }
    }
}

// --- reading an element -----------------------------------------------------------

class Node
{
public:
    explicit Node(HUIANODE node = nullptr) : m_node(node) {}
    ~Node()
    {
        if (m_node)
            UiaNodeRelease(m_node);
    }
    Node(Node &&other) noexcept : m_node(std::exchange(other.m_node, nullptr)) {}
    Node &operator=(Node &&other) noexcept
    {
        std::swap(m_node, other.m_node);
        return *this;
    }
    HUIANODE get() const { return m_node; }
    explicit operator bool() const { return m_node != nullptr; }

private:
    HUIANODE m_node;
};

struct Property
{
    VARIANT value;
    Property(const Node &node, PROPERTYID id)
    {
        VariantInit(&value);
        if (FAILED(UiaGetPropertyValue(node.get(), id, &value)))
            VariantInit(&value);
    }
    ~Property() { VariantClear(&value); }
    Property(const Property &) = delete;
    Property &operator=(const Property &) = delete;
};

std::string utf8(const wchar_t *text, int length)
{
    if (!text || length <= 0)
        return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, result.data(), size, nullptr, nullptr);
    return result;
}

std::string text(const Node &node, PROPERTYID id)
{
    Property property(node, id);
    const VARIANT &v = property.value;
    return v.vt == VT_BSTR ? utf8(v.bstrVal, static_cast<int>(SysStringLen(v.bstrVal))) : "";
}

bool flag(const Node &node, PROPERTYID id, bool otherwise)
{
    Property property(node, id);
    return property.value.vt == VT_BOOL ? property.value.boolVal != VARIANT_FALSE : otherwise;
}

// Names are printed between quotes on one line, so line breaks and quotes are
// escaped.
std::string quoted(const std::string &in)
{
    std::string out = "\"";
    for (char c : in) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out + "\"";
}

std::string typeName(long type)
{
    static const char *const names[] = {
        "Button",      "Calendar",    "CheckBox",  "ComboBox",     "Edit",     "Hyperlink",
        "Image",       "ListItem",    "List",      "Menu",         "MenuBar",  "MenuItem",
        "ProgressBar", "RadioButton", "ScrollBar", "Slider",       "Spinner",  "StatusBar",
        "Tab",         "TabItem",     "Text",      "ToolBar",      "ToolTip",  "Tree",
        "TreeItem",    "Custom",      "Group",     "Thumb",        "DataGrid", "DataItem",
        "Document",    "SplitButton", "Window",    "Pane",         "Header",   "HeaderItem",
        "Table",       "TitleBar",    "Separator", "SemanticZoom", "AppBar"};
    const long index = type - UIA_ButtonControlTypeId;
    return index >= 0 && index < static_cast<long>(std::size(names)) ? names[index] : "Unknown";
}

std::string states(bool enabled, bool offscreen, bool focused)
{
    return std::string(enabled ? "" : " disabled") + (offscreen ? " offscreen" : "") +
           (focused ? " focused" : "");
}

// Left, top, width, height in screen pixels; false when there is none.
bool rectangle(const Node &node, double (&rect)[4])
{
    Property property(node, UIA_BoundingRectanglePropertyId);
    const VARIANT &v = property.value;
    if (v.vt != (VT_ARRAY | VT_R8))
        return false;
    for (LONG i = 0; i < 4; ++i) {
        if (FAILED(SafeArrayGetElement(v.parray, &i, &rect[i])))
            return false;
    }
    return true;
}

// TYPE "NAME" #AUTOMATIONID [disabled] [offscreen] [focused] @X,Y,WxH, the
// rectangle relative to ORIGIN.
std::string describe(const Node &node, const POINT &origin)
{
    Property type(node, UIA_ControlTypePropertyId);
    std::string line = typeName(type.value.vt == VT_I4 ? type.value.lVal : 0) + ' ' +
                       quoted(text(node, UIA_NamePropertyId)) + " #" +
                       text(node, UIA_AutomationIdPropertyId) +
                       states(flag(node, UIA_IsEnabledPropertyId, true),
                              flag(node, UIA_IsOffscreenPropertyId, false),
                              flag(node, UIA_HasKeyboardFocusPropertyId, false));
    double rect[4];
    if (rectangle(node, rect)) {
        char position[80];
        std::snprintf(position, sizeof position, " @%ld,%ld,%ldx%ld",
                      std::lround(rect[0]) - origin.x, std::lround(rect[1]) - origin.y,
                      std::lround(rect[2]), std::lround(rect[3]));
        line += position;
    }
    return line;
}

// The node in the first row of what UiaNavigate hands over.
Node firstNode(SAFEARRAY *data)
{
    if (!data)
        return Node();
    LONG indices[2] = {0, 0};
    VARIANT element;
    VariantInit(&element);
    HUIANODE node = nullptr;
    if (FAILED(SafeArrayGetElement(data, indices, &element)) ||
        FAILED(UiaHUiaNodeFromVariant(&element, &node)))
        node = nullptr;
    return Node(node);
}

// Every element, as the raw view has it: a condition that is always true.
UiaCondition everything{ConditionType_True};
UiaCacheRequest nodeOnly = [] {
    UiaCacheRequest request{};
    request.pViewCondition = &everything;
    request.Scope = TreeScope_Element;
    request.automationElementMode = AutomationElementMode_Full;
    return request;
}();

Node navigate(const Node &node, NavigateDirection direction)
{
    SAFEARRAY *data = nullptr;
    BSTR structure = nullptr;
    if (FAILED(UiaNavigate(node.get(), direction, &everything, &nodeOnly, &data, &structure)))
        data = nullptr;
    Node result = firstNode(data);
    if (data)
        SafeArrayDestroy(data);
    SysFreeString(structure);
    return result;
}

// --- the tree ---------------------------------------------------------------------

// A tree that loops or never ends would otherwise print for ever.
constexpr int maxDepth = 12;
constexpr int maxElements = 1000;

void printTree(const Node &node, const POINT &origin, const std::string &label, int depth,
               int &count)
{
    if (++count > maxElements) {
        emit("tree " + label + ": more than " + std::to_string(maxElements) + " elements");
        return;
    }
    emit("tree " + label + ": " + std::string(2 * depth, ' ') + describe(node, origin));
    if (depth >= maxDepth)
        return;
    for (Node child = navigate(node, NavigateDirection_FirstChild); child;
         child = navigate(child, NavigateDirection_NextSibling))
        printTree(child, origin, label, depth + 1, count);
}

void tree(const std::string &label)
{
    Bounded bound("tree " + label, 30);
    HUIANODE handle = nullptr;
    HWND window = GetForegroundWindow();
    if (!window || FAILED(UiaNodeFromHandle(window, &handle)) || !handle) {
        emit("tree " + label + ": no foreground window");
    } else {
        Node root(handle);
        double rect[4] = {};
        rectangle(root, rect);
        const POINT origin{std::lround(rect[0]), std::lround(rect[1])};
        int count = 0;
        printTree(root, origin, label, 0, count);
    }
    emit("end tree " + label);
}

// --- focus events -------------------------------------------------------------------

std::string describe(IUIAutomationElement *element)
{
    CONTROLTYPEID type = 0;
    BSTR name = nullptr;
    BOOL enabled = TRUE, offscreen = FALSE, focused = FALSE;
    element->get_CurrentControlType(&type);
    element->get_CurrentName(&name);
    element->get_CurrentIsEnabled(&enabled);
    element->get_CurrentIsOffscreen(&offscreen);
    element->get_CurrentHasKeyboardFocus(&focused);
    std::string line =
        typeName(type) + ' ' + quoted(utf8(name, name ? static_cast<int>(SysStringLen(name)) : 0));
    SysFreeString(name);
    return line + states(enabled, offscreen, focused);
}

class FocusRecorder : public IUIAutomationFocusChangedEventHandler
{
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IUIAutomationFocusChangedEventHandler)) {
            *object = static_cast<IUIAutomationFocusChangedEventHandler *>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE HandleFocusChangedEvent(IUIAutomationElement *sender) override
    {
        Bounded bound("reading the element of a focus event", 15);
        emit("focus: " + describe(sender));
        return S_OK;
    }
};

} // namespace

int main(int argc, char **argv)
{
    const int lifetime = argc > 1 ? std::atoi(argv[1]) : 600;
    // Lines end in LF alone: the check reads them on Linux.
    _setmode(_fileno(stdout), _O_BINARY);
    std::thread(watchdog).detach();
    Bounded whole("the whole run (" + std::to_string(lifetime) + " s)", lifetime);

    IUIAutomation *automation = nullptr;
    static FocusRecorder recorder;
    {
        Bounded bound("starting UI Automation", 30);
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)) ||
            FAILED(CoCreateInstance(__uuidof(CUIAutomation), nullptr, CLSCTX_INPROC_SERVER,
                                    __uuidof(IUIAutomation),
                                    reinterpret_cast<void **>(&automation)))) {
            emit("error: no UI Automation client object");
            return 2;
        }
        if (FAILED(automation->AddFocusChangedEventHandler(nullptr, &recorder))) {
            emit("error: no focus-changed events");
            return 2;
        }
    }
    emit("ready");

    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, stdin)) {
        std::string command(buffer);
        while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
            command.pop_back();
        if (command.rfind("tree ", 0) == 0) {
            tree(command.substr(5));
        } else if (command == "quit") {
            break;
        } else {
            emit("error: unknown command '" + command + "'");
        }
    }
    {
        Bounded bound("ending UI Automation", 15);
        automation->RemoveAllEventHandlers();
        automation->Release();
        CoUninitialize();
    }
    emit("done");
    return 0;
}
