// The Configure dialog, driven from a second thread while the export runs it.
#include "plugin_fixture.h"

#include "remote/remote_resource.h"

#include <dlgs.h>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace kelpo::remote::test {
namespace {

constexpr char kDialogTitle[] = "Kelpo Plug-In for ATI Remote Wonder";
constexpr DWORD kWindowWait = 5000;

struct DialogView {
  std::string fileName;
  bool noSound = false;
  bool defaultBeep = false;
  bool soundFile = false;
  bool playEnabled = false;
  bool browseEnabled = false;
  HWND owner = nullptr;
};

std::string Text(HWND window) {
  std::array<char, 1024> text{};
  (void)::GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

DialogView View(HWND dialog) {
  DialogView view;
  view.fileName = Text(::GetDlgItem(dialog, IDC_SOUND_FILE_NAME));
  view.noSound = ::IsDlgButtonChecked(dialog, IDC_NO_SOUND) == BST_CHECKED;
  view.defaultBeep = ::IsDlgButtonChecked(dialog, IDC_DEFAULT_BEEP) == BST_CHECKED;
  view.soundFile = ::IsDlgButtonChecked(dialog, IDC_SOUND_FILE) == BST_CHECKED;
  view.playEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_PLAY)) != FALSE;
  view.browseEnabled = ::IsWindowEnabled(::GetDlgItem(dialog, IDC_BROWSE)) != FALSE;
  view.owner = ::GetWindow(dialog, GW_OWNER);
  return view;
}

void Click(HWND dialog, int control) {
  (void)::SendMessageW(::GetDlgItem(dialog, control), BM_CLICK, 0, 0);
}

// Runs Configure on this thread while `script` drives the dialog from another.
// Whatever the script does, the dialog is closed in the end so Configure returns.
int RunConfigure(const Plugin& plugin, HWND owner, const std::function<void(HWND)>& script) {
  std::atomic<bool> returned{false};
  std::thread driver([&] {
    const DWORD start = ::GetTickCount();
    HWND dialog = nullptr;
    while (dialog == nullptr && !returned && ::GetTickCount() - start < kWindowWait) {
      // Found while still being created, it is not ready until it shows.
      dialog = ::FindWindowA("#32770", kDialogTitle);
      if (dialog != nullptr && !::IsWindowVisible(dialog)) dialog = nullptr;
      if (dialog == nullptr) ::Sleep(10);
    }
    if (dialog == nullptr) return;
    script(dialog);
    // A click sent from this thread ends the dialog without waking its modal loop;
    // a posted message does.
    (void)::PostMessageW(dialog, WM_NULL, 0, 0);
    for (int tries = 0; tries < 200 && !returned; ++tries) ::Sleep(10);
    if (!returned) (void)::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  const int result = plugin.configure(owner);
  returned = true;
  driver.join();
  return result;
}

TEST(RemoteConfigure, MissingKeyOpensOnNoneAndBeepAndOkStoresThem) {
  CleanRemoteKey key;
  Plugin plugin;
  ASSERT_NE(plugin.configure, nullptr);
  DialogView view;
  EXPECT_EQ(RunConfigure(plugin, nullptr,
                         [&](HWND dialog) {
                           view = View(dialog);
                           Click(dialog, IDOK);
                         }),
            0);
  EXPECT_EQ(view.fileName, "(None)");
  EXPECT_TRUE(view.defaultBeep);
  EXPECT_FALSE(view.noSound);
  EXPECT_FALSE(view.soundFile);
  EXPECT_FALSE(view.playEnabled);
  EXPECT_FALSE(view.browseEnabled);

  std::string soundFile;
  DWORD sound = 0;
  ASSERT_TRUE(ReadSoundFile(soundFile));
  EXPECT_EQ(soundFile, "(None)");
  ASSERT_TRUE(ReadSound(sound));
  EXPECT_EQ(sound, 1u);
}

TEST(RemoteConfigure, StoredValuesChooseTheButtonAndCancelKeepsThem) {
  CleanRemoteKey key;
  Plugin plugin;
  ASSERT_NE(plugin.configure, nullptr);
  struct Case {
    DWORD sound;
    bool noSound, defaultBeep, soundFile;
  };
  for (const Case& stored :
       {Case{0, true, false, false}, Case{2, false, false, true}, Case{3, false, true, false}}) {
    SetSound(stored.sound);
    SetSoundFile("C:\\Sounds\\click.wav");
    DialogView view;
    EXPECT_EQ(RunConfigure(plugin, nullptr,
                           [&](HWND dialog) {
                             view = View(dialog);
                             Click(dialog, IDCANCEL);
                           }),
              0);
    EXPECT_EQ(view.fileName, "C:\\Sounds\\click.wav");
    EXPECT_EQ(view.noSound, stored.noSound) << stored.sound;
    EXPECT_EQ(view.defaultBeep, stored.defaultBeep) << stored.sound;
    EXPECT_EQ(view.soundFile, stored.soundFile) << stored.sound;
    EXPECT_EQ(view.playEnabled, stored.sound == 2) << stored.sound;
    EXPECT_EQ(view.browseEnabled, stored.sound == 2) << stored.sound;
    DWORD sound = 0;
    ASSERT_TRUE(ReadSound(sound));
    EXPECT_EQ(sound, stored.sound);
  }
}

TEST(RemoteConfigure, RadioButtonsEnableTheFileButtonsAndOkStoresTheChoice) {
  CleanRemoteKey key;
  Plugin plugin;
  ASSERT_NE(plugin.configure, nullptr);
  DialogView fileChosen, noneChosen;
  EXPECT_EQ(RunConfigure(plugin, nullptr,
                         [&](HWND dialog) {
                           Click(dialog, IDC_SOUND_FILE);
                           fileChosen = View(dialog);
                           Click(dialog, IDC_NO_SOUND);
                           noneChosen = View(dialog);
                           Click(dialog, IDOK);
                         }),
            0);
  EXPECT_TRUE(fileChosen.soundFile);
  EXPECT_TRUE(fileChosen.playEnabled);
  EXPECT_TRUE(fileChosen.browseEnabled);
  EXPECT_TRUE(noneChosen.noSound);
  EXPECT_FALSE(noneChosen.playEnabled);
  EXPECT_FALSE(noneChosen.browseEnabled);
  DWORD sound = 1;
  ASSERT_TRUE(ReadSound(sound));
  EXPECT_EQ(sound, 0u);

  EXPECT_EQ(RunConfigure(plugin, nullptr,
                         [&](HWND dialog) {
                           Click(dialog, IDC_SOUND_FILE);
                           Click(dialog, IDOK);
                         }),
            0);
  ASSERT_TRUE(ReadSound(sound));
  EXPECT_EQ(sound, 2u);
}

TEST(RemoteConfigure, PlayThenCancelKeepsThePlayedFileButNotTheChoice) {
  CleanRemoteKey key;
  SetSound(0);
  Plugin plugin;
  ASSERT_NE(plugin.configure, nullptr);
  SoundFileProbe probe;
  EXPECT_EQ(RunConfigure(plugin, nullptr,
                         [&](HWND dialog) {
                           Click(dialog, IDC_SOUND_FILE);
                           (void)::SetDlgItemTextA(dialog, IDC_SOUND_FILE_NAME,
                                                   probe.path().c_str());
                           Click(dialog, IDC_PLAY);
                           Click(dialog, IDCANCEL);
                         }),
            0);
  EXPECT_TRUE(probe.Opened(kWindowWait));
  std::string soundFile;
  ASSERT_TRUE(ReadSoundFile(soundFile));
  EXPECT_EQ(soundFile, probe.path());
  DWORD sound = 1;
  ASSERT_TRUE(ReadSound(sound));
  EXPECT_EQ(sound, 0u);
}

TEST(RemoteConfigure, DamagedValuesOpenAsIfAbsent) {
  CleanRemoteKey key;
  Plugin plugin;
  ASSERT_NE(plugin.configure, nullptr);
  const DWORD zero = 0;
  const std::string tooLong = "C:\\" + std::string(600, 'x') + ".wav";
  const std::function<void()> damages[] = {
      [] { SetUnterminatedString("soundfile", "C:\\Sounds\\click.wav"); },
      [&] { SetSoundFile(tooLong); },
      [&] { SetRawValue("soundfile", REG_DWORD, &zero, sizeof(zero)); },
  };
  for (const auto& damage : damages) {
    // `sound` 0 with the wrong type counts as absent: the beep, not "No sound".
    SetRawValue("sound", REG_BINARY, &zero, sizeof(zero));
    damage();
    DialogView view;
    EXPECT_EQ(RunConfigure(plugin, nullptr,
                           [&](HWND dialog) {
                             view = View(dialog);
                             Click(dialog, IDCANCEL);
                           }),
              0);
    EXPECT_EQ(view.fileName, "(None)");
    EXPECT_TRUE(view.defaultBeep);
    EXPECT_FALSE(view.noSound);
  }
}

TEST(RemoteConfigure, OwnedByTheHostsWindowAndRefusesAStaleOne) {
  CleanRemoteKey key;
  Plugin plugin;
  ASSERT_NE(plugin.configure, nullptr);
  StandInKelpo owner;
  DialogView view;
  EXPECT_EQ(RunConfigure(plugin, owner.window(),
                         [&](HWND dialog) {
                           view = View(dialog);
                           Click(dialog, IDCANCEL);
                         }),
            0);
  EXPECT_EQ(view.owner, owner.window());

  HWND stale = nullptr;
  {
    const StandInKelpo gone;
    stale = gone.window();
  }
  for (HWND invalid : {stale, reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0xFFFFFFFFu)),
                       reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x12345678u))}) {
    EXPECT_EQ(RunConfigure(plugin, invalid, [](HWND dialog) { Click(dialog, IDCANCEL); }), -1);
  }
  // Nothing was stored by dialogs that never opened.
  DWORD sound = 0;
  EXPECT_FALSE(ReadSound(sound));
}

// The open-file dialog the Browse button shows, and the name box inside it.
HWND WaitForOpenDialog(HWND owner) {
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < kWindowWait) {
    HWND found = nullptr;
    for (HWND window = ::FindWindowExA(nullptr, nullptr, "#32770", nullptr); window != nullptr;
         window = ::FindWindowExA(nullptr, window, "#32770", nullptr)) {
      if (window != owner && ::GetWindow(window, GW_OWNER) == owner) found = window;
    }
    if (found != nullptr) return found;
    ::Sleep(20);
  }
  return nullptr;
}

// The file name box of the open-file dialog, once the dialog has created it.
HWND FileNameBox(HWND open) {
  const DWORD start = ::GetTickCount();
  while (open != nullptr && ::GetTickCount() - start < kWindowWait) {
    for (int control : {cmb13, edt1}) {
      if (HWND box = ::GetDlgItem(open, control); box != nullptr && ::IsWindowVisible(box)) {
        return box;
      }
    }
    ::Sleep(20);
  }
  return nullptr;
}

TEST(RemoteConfigure, BrowseShowsTheChosenFile) {
  CleanRemoteKey key;
  SetSound(2);
  Plugin plugin;
  ASSERT_NE(plugin.configure, nullptr);
  std::array<char, MAX_PATH> temp{};
  ASSERT_NE(::GetTempPathA(MAX_PATH, temp.data()), 0u);
  const std::string chosen = std::string(temp.data()) + "kelpo-browse-test.wav";
  {
    const unique_file file(::CreateFileA(chosen.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
  }
  bool openDialogShown = false;
  DialogView view;
  EXPECT_EQ(RunConfigure(
                plugin, nullptr,
                [&](HWND dialog) {
                  // Posted: the open-file dialog runs its own modal loop.
                  (void)::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED),
                                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, IDC_BROWSE)));
                  HWND open = WaitForOpenDialog(dialog);
                  HWND name = FileNameBox(open);
                  openDialogShown = name != nullptr;
                  if (name != nullptr) {
                    (void)::SendMessageA(name, WM_SETTEXT, 0,
                                         reinterpret_cast<LPARAM>(chosen.c_str()));
                  }
                  // Without a name box, Cancel: the modal loops must end either way.
                  (void)::PostMessageW(open, WM_COMMAND, name != nullptr ? IDOK : IDCANCEL, 0);
                  for (int tries = 0; tries < 500 && ::IsWindow(open); ++tries) {
                    ::Sleep(10);
                  }
                  view = View(dialog);
                  Click(dialog, IDCANCEL);
                }),
            0);
  (void)::DeleteFileA(chosen.c_str());
  ASSERT_TRUE(openDialogShown);
  EXPECT_EQ(view.fileName, chosen);
  // Browsing alone stores nothing.
  std::string soundFile;
  EXPECT_FALSE(ReadSoundFile(soundFile));
}

}  // namespace
}  // namespace kelpo::remote::test
