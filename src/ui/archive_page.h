// The Archive tab: the picture history kept beside the fresh picture (a local
// and a remote name with date and time fields, how often a picture is
// archived, and how much of the local archive is kept), with what every name
// of a picture taken now would be.
#pragma once

#include "ui/settings_page.h"

#include <string>

namespace kelpo {

class ArchivePage final : public SettingsPage {
 public:
  explicit ArchivePage(SettingsSheetHost& host);

 private:
  void OnCreated() override;
  void OnShown() override;
  bool AcceptsInput() override;
  void OnApplied() override;
  void OnCommand(int controlId, int notification) override;
  void OnTimer(UINT_PTR timerId) override;
  void OnDestroyed() override;

  // The examples under the names, as the controls (the File Transfer page's
  // too) stand, expanded at the present local time.
  void ShowExamples();
  // "Browse...": a folder for the local archive, its fields kept.
  void ChooseFolder();
  // Says why the input cannot be applied and puts the focus on `controlId`.
  void Refuse(int messageId, int controlId);
};

}  // namespace kelpo
