#include "app/application.h"

namespace kelpo {

void Application::RequestPicture() {}
void Application::OnGraphEvent() {}
std::unique_ptr<Gdiplus::Bitmap> Application::GrabFrame() { return nullptr; }
void Application::LoadStillImage() {}

}  // namespace kelpo
