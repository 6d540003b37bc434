#include "app/application.h"

namespace kelpo {

void Application::ComputeOutputSize() {}
void Application::TakePicture() {}

}  // namespace kelpo
