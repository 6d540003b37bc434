#include "app/application.h"
#include "app/message_catalogue.h"

namespace kelpo {

// The camera graph is not built yet: every start falls back to the image file.
void Application::BuildCaptureGraph() { Raise(kMsgNoCaptureDevice); }

void Application::ReleaseCaptureGraph() {
  nullRenderer.Reset();
  sampleGrabberFilter.Reset();
  captureFilter.Reset();
  graphBuilder.Reset();
  captureBuilder.Reset();
}

void Application::StopGraph() {}
void Application::RestartGraph() {}
void Application::PlacePreview() {}

}  // namespace kelpo
