#include "commands.h"

#include "menus.h"
#include "resource.h"
#include "settings.h"
#include "view.h"
#include "wallpaper.h"
#include "window.h"
#include "wintext.h"

const char kErrorTitle[] = "Error";
const char kLoadFailedText[] = "I cat't load your images list file!";
const char kEmptyListText[] = "Your images list file names no pictures!";

namespace {

void Zoom(LONG zoom) {
  gView.Zoom = zoom;
  CentreView();
  ApplyZoom();
}

void ActualSize() {
  gView.Zoom = 1;
  ApplyZoom();
}

void Center() {
  if (!gShow.CurrentEntry || gShow.CurrentEntry->mode != kModeCentred) return;
  CentreView();
  ApplyZoom();
}

void MixImages() {
  StopSlideTimer();
  gShow.Shuffle();
  GoToPicture(kGoFirst);
  if (gShow.Images.first) StartSlideTimer();
  ClearFileListMenu();
  BuildFileListMenu();
}

// The settings dialog from the menu. Cancel leaves everything as it was, the show paused; Ok
// reloads the list, shuffles it and runs the show. A list that fails to load or is empty
// leaves a black screen, the show paused and the menu usable.
void ReloadSettings(HWND window) {
  StopSlideTimer();
  if (!ShowSettingsDialog(window)) return;
  ClearFileListMenu();
  ForgetCurrentEntry();  // the entries are about to be freed
  if (!LoadViewerList(window)) {
    BuildFileListMenu();
    return;
  }
  gShow.Shuffle();
  StartSlideTimer();
  BuildFileListMenu();
  GoToPicture(kGoFirst);
}

void ShowFileListEntry(int command) {
  const int index = FileListIndex(command);
  if (index >= 0) GoToPicture(index);
}

}  // namespace

int LoadViewerList(HWND owner) {
  gShow.ShufflePasses = (gViewerSettings.Flags & MixOnLoad) != 0;
  switch (gShow.Load(gViewerSettings.LastFile.c_str())) {
    case kShowLoaded: return 1;
    case kShowLoadFailed:
      gShow.FreeList();
      ShowMessageBox(owner, kLoadFailedText, kErrorTitle, MB_OK | MB_ICONERROR);
      return 0;
    default: ShowMessageBox(owner, kEmptyListText, kErrorTitle, MB_OK | MB_ICONERROR); return 0;
  }
}

void OnCommand(HWND window, int command) {
  switch (command) {
    case IDM_FIRST: GoToPicture(kGoFirst); break;
    case IDM_PREVIOUS: GoToPicture(kGoPrevious); break;
    case IDM_NEXT: GoToPicture(kGoNext); break;
    case IDM_LAST: GoToPicture(kGoLast); break;
    case IDM_RANDOM: GoToPicture(kGoRandom); break;
    case IDM_ZOOMIN: Zoom(ZoomStepIn(gView.Zoom)); break;
    case IDM_ZOOMOUT: Zoom(ZoomStepOut(gView.Zoom)); break;
    case IDM_ACTUALSIZE: ActualSize(); break;
    case IDM_BESTFIT: SetPlacementMode(kModeStretched); break;
    case IDM_TILED: SetPlacementMode(kModeTiled); break;
    case IDM_CENTER: Center(); break;
    case IDM_SETTINGS: ReloadSettings(window); break;
    case IDM_RESUME: StartSlideTimer(); break;
    case IDM_MIX: MixImages(); break;
    case IDM_EXIT: DestroyWindow(window); break;
    case IDM_WALLPAPER: SetAsWallpaper(); break;
    default: ShowFileListEntry(command); break;
  }
}
