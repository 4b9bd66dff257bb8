// Which presenter shows a box: the test's recorder, else the front end's, else stderr.
#include "platform/platform.h"

#include <cstdio>
#include <utility>

namespace {

BoxPresenter front_end_presenter = nullptr;
BoxPresenterFunction presenter_override;

}  // namespace

void SetBoxPresenter(BoxPresenter presenter) { front_end_presenter = presenter; }

void PresentBox(const char* caption, const char* text, BoxIcon icon) {
  if (presenter_override) {
    presenter_override(caption, text, icon);
  } else if (front_end_presenter) {
    front_end_presenter(caption, text, icon);
  } else {
    std::fprintf(stderr, "%s\n%s", caption, text);
  }
}

BoxPresenterFunction ReplaceBoxPresenter(BoxPresenterFunction presenter) {
  return std::exchange(presenter_override, std::move(presenter));
}
