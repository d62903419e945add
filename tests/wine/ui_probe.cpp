#include "ui_probe.h"

#include <richedit.h>

namespace vxtest {

namespace {

struct ProbeState {
  const char* cls = nullptr;
  const std::function<void(HWND)>* act = nullptr;
  UiProbeResult result;
  DWORD actedAt = 0;
  DWORD startedAt = 0;
};
ProbeState* g_probe = nullptr;

constexpr DWORD kAppearTimeoutMs = 10000;
constexpr DWORD kCloseTimeoutMs = 8000;

void CALLBACK ProbeTimer(HWND, UINT, UINT_PTR, DWORD) {
  ProbeState* p = g_probe;
  if (p == nullptr) return;
  HWND w = FindWindowA(p->cls, nullptr);
  if (!p->result.found) {
    if (w != nullptr && IsWindowVisible(w)) {
      p->result.found = true;
      p->actedAt = GetTickCount();
      (*p->act)(w);
    }
    return;
  }
  if (w != nullptr && GetTickCount() - p->actedAt > kCloseTimeoutMs) {
    p->result.forced = true;
    PostMessageA(w, WM_CLOSE, 0, 0);
  }
}

}  // namespace

UiProbeResult RunWithWindow(const char* windowClass, const std::function<void(HWND)>& act,
                            const std::function<void()>& show) {
  ProbeState state;
  state.cls = windowClass;
  state.act = &act;
  state.startedAt = GetTickCount();
  g_probe = &state;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, ProbeTimer);
  show();
  KillTimer(nullptr, timer);
  g_probe = nullptr;
  return state.result;
}

std::string ClassOf(HWND window) {
  char buf[256] = {};
  const int n = GetClassNameA(window, buf, sizeof buf);
  return std::string(buf, n > 0 ? n : 0);
}

std::string TextOf(HWND window) {
  const int len = static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
  std::string s(static_cast<size_t>(len) + 1, '\0');
  const int n = static_cast<int>(SendMessageA(window, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(&s[0])));
  s.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return s;
}

namespace {
struct ChildQuery {
  HWND parent;
  std::string cls;
  std::vector<HWND> found;
};
BOOL CALLBACK CollectChild(HWND w, LPARAM lp) {
  auto* q = reinterpret_cast<ChildQuery*>(lp);
  if (GetParent(w) == q->parent && (q->cls.empty() || lstrcmpiA(ClassOf(w).c_str(), q->cls.c_str()) == 0))
    q->found.push_back(w);
  return TRUE;
}
}  // namespace

std::vector<HWND> ChildrenOfClass(HWND parent, const std::string& cls) {
  ChildQuery q{parent, cls, {}};
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

RECT RectInParent(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

RECT ClientRect(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  return r;
}

std::vector<bool> BoldMask(HWND richEdit) {
  const int len = static_cast<int>(SendMessageA(richEdit, WM_GETTEXTLENGTH, 0, 0));
  std::vector<bool> mask;
  for (int i = 0; i < len; ++i) {
    CHARRANGE r = {i, i + 1};
    SendMessageA(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    CHARFORMATA cf;
    ZeroMemory(&cf, sizeof cf);
    cf.cbSize = sizeof cf;
    SendMessageA(richEdit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    mask.push_back((cf.dwMask & CFM_BOLD) != 0 && (cf.dwEffects & CFE_BOLD) != 0);
  }
  CHARRANGE none = {0, 0};
  SendMessageA(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
  return mask;
}

}  // namespace vxtest
