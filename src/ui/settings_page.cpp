#include "ui/settings_page.h"

#include "common/message_catalogue.h"
#include "settings/settings_rules.h"
#include "settings/settings_store.h"

#include <commctrl.h>
#include <prsht.h>

#include <variant>
#include <vector>

namespace kelpo {

namespace {

// Windows 10 1607 and later, to each child of a window whose DPI changed,
// once the window has handled the change.
constexpr UINT kDpiChangedAfterParent = 0x02E3;

// Counts the page's own writes to its controls, so the notifications they
// cause are not taken for the user's edits.
class QuietScope {
 public:
  explicit QuietScope(int& depth) : depth_(depth) { ++depth_; }
  ~QuietScope() { --depth_; }
  QuietScope(const QuietScope&) = delete;
  QuietScope& operator=(const QuietScope&) = delete;

 private:
  int& depth_;
};

// The notification by which a bound control reports a user's edit.
bool IsEdit(BindingRole role, int notification) {
  switch (role) {
    case BindingRole::kText:
    case BindingRole::kNumber:
      return notification == EN_CHANGE;
    case BindingRole::kCheck:
      return notification == BN_CLICKED;
    case BindingRole::kListIndex:
    case BindingRole::kListText:
      return notification == CBN_SELCHANGE;
    case BindingRole::kSlider:
      return false;  // trackbars report by scrolling
  }
  return false;
}

}  // namespace

SettingsPage::SettingsPage(SettingsSheetHost& host, const PageLayout& layout)
    : host_(host), layout_(layout) {}

INT_PTR CALLBACK SettingsPage::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SettingsPage* page = nullptr;
  if (message == WM_INITDIALOG) {
    const auto* description = reinterpret_cast<const PROPSHEETPAGEW*>(lParam);
    page = reinterpret_cast<SettingsPage*>(description->lParam);
    ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
    page->window_ = window;
  } else {
    page = reinterpret_cast<SettingsPage*>(::GetWindowLongPtrW(window, DWLP_USER));
  }
  // Messages before WM_INITDIALOG (the font, the creation) need nothing of Kelpo.
  if (page == nullptr) return FALSE;
  try {
    return page->Dispatch(message, wParam, lParam);
  } catch (...) {
    page->host_.OnUnhandledError(std::current_exception());
    return TRUE;
  }
}

INT_PTR SettingsPage::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      QuietScope quiet(quiet_);
      OnCreated();
      return TRUE;
    }
    case WM_COMMAND:
      if (quiet_ == 0) OnControlCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_HSCROLL:
      if (quiet_ == 0 && lParam != 0) OnControlScroll(reinterpret_cast<HWND>(lParam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == static_cast<UINT>(PSN_SETACTIVE)) {
        OnShown();
        ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, 0);  // the tab may be shown
        return TRUE;
      }
      if (header->code == static_cast<UINT>(PSN_KILLACTIVE)) {
        // TRUE keeps the page in front: the tab does not change, nothing is applied.
        ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, AcceptsInput() ? FALSE : TRUE);
        return TRUE;
      }
      if (header->code != static_cast<UINT>(PSN_APPLY)) return FALSE;
      // The sheet asks the page in front before it applies; a page behind it
      // was asked as it was left, so this refuses only what slipped past.
      if (!AcceptsInput()) {
        ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, PSNRET_INVALID);
        return TRUE;
      }
      {
        QuietScope quiet(quiet_);
        OnApplied();
      }
      ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, PSNRET_NOERROR);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
      const auto control = reinterpret_cast<HWND>(lParam);
      const HBRUSH brush = OnStaticColour(::GetDlgCtrlID(control), reinterpret_cast<HDC>(wParam));
      return reinterpret_cast<INT_PTR>(brush);
    }
    case WM_DRAWITEM:
      return OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE : FALSE;
    case WM_TIMER:
      OnTimer(static_cast<UINT_PTR>(wParam));
      return TRUE;
    case PSM_QUERYSIBLINGS:
      ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, OnSiblingQuery(wParam, lParam) ? 1 : 0);
      return TRUE;
    case kDpiChangedAfterParent:
      OnRescaled();
      return FALSE;
    case WM_DESTROY:
      OnDestroyed();
      ::SetWindowLongPtrW(window_, DWLP_USER, 0);
      window_ = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

void SettingsPage::OnControlCommand(int id, int notification) {
  for (const ControlBinding& binding : layout_.controls) {
    if (binding.controlId == id && IsEdit(binding.role, notification)) MarkChanged();
  }
  for (const RadioBinding& radios : layout_.radios) {
    for (int button : radios.buttons) {
      if (button == id && notification == BN_CLICKED) MarkChanged();
    }
  }
  // A click may check or uncheck any rule's box (radio buttons uncheck their
  // neighbours without a word), so every rule follows at once.
  if (notification == BN_CLICKED) ApplyEnableRules();
  OnCommand(id, notification);
}

void SettingsPage::OnControlScroll(HWND control) {
  const int id = ::GetDlgCtrlID(control);
  for (const ControlBinding& binding : layout_.controls) {
    if (binding.controlId == id && binding.role == BindingRole::kSlider) MarkChanged();
  }
  OnScroll(id);
}

void SettingsPage::MarkChanged() {
  if (quiet_ != 0 || window_ == nullptr) return;
  (void)::SendMessageW(::GetParent(window_), PSM_CHANGED, reinterpret_cast<WPARAM>(window_), 0);
}

void SettingsPage::CancelToClose() {
  (void)::PostMessageW(::GetParent(window_), PSM_CANCELTOCLOSE, 0, 0);
}

void SettingsPage::SaveGroup() { SaveSettings(settings(), layout_.group); }

void SettingsPage::ShowBindings() {
  for (const ControlBinding& binding : layout_.controls) {
    ShowBinding(binding, binding.setting);
  }
  for (const RadioBinding& radios : layout_.radios) {
    const auto* dword = std::get_if<DwordSetting>(&radios.setting.kind);
    if (dword == nullptr) continue;
    const std::size_t shown = RadioIndexFor(radios, settings().*dword->member);
    for (std::size_t i = 0; i < radios.buttons.size(); ++i) {
      (void)::CheckDlgButton(window_, radios.buttons.first[i],
                             i == shown ? BST_CHECKED : BST_UNCHECKED);
    }
  }
}

void SettingsPage::ShowBinding(const ControlBinding& binding, const SettingField& field) {
  const int id = binding.controlId;
  Settings& record = settings();
  if (const auto* text = std::get_if<StringSetting>(&field.kind)) {
    const std::wstring& value = record.*text->member;
    if (binding.role == BindingRole::kText) {
      // Typing stops where the stored text would be cut.
      (void)::SendDlgItemMessageW(window_, id, EM_SETLIMITTEXT, kMaxFieldLength, 0);
      SetControlText(id, value);
    } else if (binding.role == BindingRole::kListText) {
      ShowListText(id, value);
    }
  } else if (const auto* flag = std::get_if<FlagSetting>(&field.kind)) {
    (void)::CheckDlgButton(window_, id, record.*flag->member ? BST_CHECKED : BST_UNCHECKED);
  } else if (const auto* dword = std::get_if<DwordSetting>(&field.kind)) {
    const std::uint32_t value = record.*dword->member;
    switch (binding.role) {
      case BindingRole::kNumber:
        SetControlText(id, std::to_wstring(value));
        break;
      case BindingRole::kListIndex:
        // An index the list does not hold leaves it without a selection.
        (void)::SendDlgItemMessageW(window_, id, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
        break;
      case BindingRole::kSlider:
        (void)::SendDlgItemMessageW(window_, id, TBM_SETPOS, TRUE, static_cast<LPARAM>(value));
        break;
      default:
        break;
    }
  }
}

void SettingsPage::ShowListText(int id, const std::wstring& value) {
  // The list's own search ignores letter case.
  LRESULT found = ::SendDlgItemMessageW(window_, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(value.c_str()));
  // A name the list lacks (a font since removed, say) joins it, so an apply
  // keeps it until the user picks another.
  if (found == CB_ERR && !value.empty()) {
    found = ::SendDlgItemMessageW(window_, id, CB_ADDSTRING, 0,
                                  reinterpret_cast<LPARAM>(value.c_str()));
  }
  if (found < 0) found = 0;
  (void)::SendDlgItemMessageW(window_, id, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
}

void SettingsPage::ReadBindings() {
  for (const ControlBinding& binding : layout_.controls) {
    ReadBinding(binding, binding.setting);
  }
  for (const RadioBinding& radios : layout_.radios) {
    const auto* dword = std::get_if<DwordSetting>(&radios.setting.kind);
    if (dword == nullptr) continue;
    std::optional<std::size_t> checked;
    for (std::size_t i = 0; i < radios.buttons.size() && !checked; ++i) {
      if (Checked(radios.buttons.first[i])) checked = i;
    }
    settings().*dword->member = RadioValue(radios, checked);
  }
}

void SettingsPage::ReadBinding(const ControlBinding& binding, const SettingField& field) {
  const int id = binding.controlId;
  Settings& record = settings();
  if (const auto* text = std::get_if<StringSetting>(&field.kind)) {
    std::wstring& value = record.*text->member;
    if (binding.role == BindingRole::kText) {
      value = ControlText(id);
    } else if (binding.role == BindingRole::kListText) {
      const LRESULT selection = ::SendDlgItemMessageW(window_, id, CB_GETCURSEL, 0, 0);
      if (selection == CB_ERR) return;
      const LRESULT length =
          ::SendDlgItemMessageW(window_, id, CB_GETLBTEXTLEN, static_cast<WPARAM>(selection), 0);
      if (length == CB_ERR) return;
      std::vector<wchar_t> entry(static_cast<std::size_t>(length) + 1, L'\0');
      if (::SendDlgItemMessageW(window_, id, CB_GETLBTEXT, static_cast<WPARAM>(selection),
                                reinterpret_cast<LPARAM>(entry.data())) == CB_ERR) {
        return;
      }
      value = CutToFieldLength(entry.data());
    }
  } else if (const auto* flag = std::get_if<FlagSetting>(&field.kind)) {
    record.*flag->member = Checked(id);
  } else if (const auto* dword = std::get_if<DwordSetting>(&field.kind)) {
    std::uint32_t& value = record.*dword->member;
    switch (binding.role) {
      case BindingRole::kNumber:
        value = NumberFromText(ControlText(id), value, dword->loadRange, binding.missing);
        // The field shows what was stored, never what was typed.
        SetControlText(id, std::to_wstring(value));
        break;
      case BindingRole::kListIndex: {
        const auto selection =
            static_cast<long>(::SendDlgItemMessageW(window_, id, CB_GETCURSEL, 0, 0));
        value = IndexFromSelection(selection, value, dword->loadRange, binding.missing);
        if (dword->loadRange) {
          (void)::SendDlgItemMessageW(window_, id, CB_SETCURSEL, static_cast<WPARAM>(value), 0);
        }
        break;
      }
      case BindingRole::kSlider: {
        const auto position =
            static_cast<std::uint32_t>(::SendDlgItemMessageW(window_, id, TBM_GETPOS, 0, 0));
        value = dword->loadRange ? InRange(position, *dword->loadRange) : position;
        break;
      }
      default:
        break;
    }
  }
}

void SettingsPage::ApplyEnableRules() {
  for (const EnableRule& rule : layout_.enableRules) {
    const BOOL enable = RuleEnables(rule, Checked(rule.checkBox)) ? TRUE : FALSE;
    for (int id : rule.controls) (void)::EnableWindow(Control(id), enable);
  }
}

std::wstring SettingsPage::ControlText(int id) const {
  const HWND control = Control(id);
  const int length = ::GetWindowTextLengthW(control);
  if (length <= 0) return {};
  std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(control, text.data(), length + 1);
  return CutToFieldLength(
      std::wstring(text.data(), static_cast<std::size_t>(copied > 0 ? copied : 0)));
}

void SettingsPage::SetControlText(int id, const std::wstring& text) {
  QuietScope quiet(quiet_);
  (void)::SetDlgItemTextW(window_, id, text.c_str());
}

bool SettingsPage::Checked(int id) const {
  return ::IsDlgButtonChecked(window_, id) == BST_CHECKED;
}

void SettingsPage::FillList(int id, int firstId, int count) {
  for (int i = 0; i < count; ++i) {
    const std::wstring label = LoadText(firstId + i, kListLabelCapacity);
    (void)::SendDlgItemMessageW(window_, id, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(label.c_str()));
  }
}

}  // namespace kelpo
