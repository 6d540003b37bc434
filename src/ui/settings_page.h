// One page of the Settings sheet, and the protocol every page follows:
//   created  - the page fills its controls from the settings;
//   changed  - a user edit tells the sheet, which enables Apply;
//   leaving  - another tab, OK or Apply: a page may refuse input it cannot
//              correct, after telling the user, and then stays in front;
//   applied  - OK or Apply: the page reads its controls into the settings,
//              shows corrected values, saves its group, carries out its
//              immediate effects, and turns Cancel into Close.
// The controls a page binds (ui/settings_page_rules.h) are shown, read and
// watched for edits here; a page adds only what its layout cannot say.
#pragma once

#include "common/win32.h"
#include "settings/settings.h"
#include "ui/settings_page_rules.h"
#include "ui/settings_sheet_host.h"

#include <string>

namespace kelpo {

class SettingsPage {
 public:
  SettingsPage(SettingsSheetHost& host, const PageLayout& layout);
  virtual ~SettingsPage() = default;
  SettingsPage(const SettingsPage&) = delete;
  SettingsPage& operator=(const SettingsPage&) = delete;

  // The dialog procedure of every page; the page object comes as the
  // property sheet page's lParam.
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 protected:
  // Created: fill the controls (ShowBindings does the bound ones).
  virtual void OnCreated() = 0;
  // Applied: read the controls (ReadBindings does the bound ones), save,
  // carry out the immediate effects.
  virtual void OnApplied() = 0;
  // Whether the page's input can be applied; a page that refuses it says
  // why and puts the focus where the user can mend it.
  virtual bool AcceptsInput() { return true; }
  // A command from a control, after a bound control's edit has been marked.
  virtual void OnCommand(int /*controlId*/, int /*notification*/) {}
  // A trackbar moved, after a bound one's move has been marked.
  virtual void OnScroll(int /*controlId*/) {}
  // The brush of a static control, or null for the default painting.
  virtual HBRUSH OnStaticColour(int /*controlId*/, HDC /*dc*/) { return nullptr; }
  // Draws an owner-drawn control; false when the page draws none.
  virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*item*/) { return false; }
  // The sheet took another monitor's scale; its controls may have new sizes.
  virtual void OnRescaled() {}
  // The page's tab was brought to the front (also as the page is created).
  virtual void OnShown() {}
  // A timer the page set (SetTimer on its window) went off.
  virtual void OnTimer(UINT_PTR /*timerId*/) {}
  // Another page asks (PSM_QUERYSIBLINGS) for what this page's controls hold;
  // true when the page answered and no further page needs asking.
  virtual bool OnSiblingQuery(WPARAM /*what*/, LPARAM /*answer*/) { return false; }
  // The page's window goes (the sheet closes).
  virtual void OnDestroyed() {}

  SettingsSheetHost& host() { return host_; }
  Settings& settings() { return host_.settings(); }
  HWND window() const { return window_; }
  HWND Control(int id) const { return ::GetDlgItem(window_, id); }

  // Tells the sheet the page has unapplied edits.
  void MarkChanged();
  // What has been applied can no longer be cancelled: Cancel becomes Close.
  void CancelToClose();
  // Saves the page's group of settings.
  void SaveGroup();

  void ShowBindings();
  void ReadBindings();
  // Enables every control of the layout's rules as its check box says.
  void ApplyEnableRules();

  // A control's text, cut to the fields' length.
  std::wstring ControlText(int id) const;
  void SetControlText(int id, const std::wstring& text);
  bool Checked(int id) const;
  // Loads `count` catalogue texts from `firstId` on into a drop-down list.
  void FillList(int id, int firstId, int count);

 private:
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void OnControlCommand(int id, int notification);
  void OnControlScroll(HWND control);
  void ShowBinding(const ControlBinding& binding, const SettingField& field);
  void ReadBinding(const ControlBinding& binding, const SettingField& field);
  // Selects a list's entry of that text, adding the text when the list lacks it.
  void ShowListText(int id, const std::wstring& value);

  SettingsSheetHost& host_;
  const PageLayout& layout_;
  HWND window_ = nullptr;
  // While the page writes its own controls their notifications are no edits.
  int quiet_ = 0;
};

}  // namespace kelpo
