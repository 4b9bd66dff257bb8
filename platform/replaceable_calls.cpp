// The platform calls that tests may replace: each goes to the test's replacement when one
// is set, else to the system (or, for boxes, to the front end's presenter).
#include <cstdio>
#include <ctime>
#include <utility>

#include "platform/native_calls.h"
#include "platform/platform.h"

namespace {

BoxPresenter front_end_presenter = nullptr;
BoxPresenterFunction presenter_override;
PauseFunction pause_override;
OpenerFunction opener_override;
CalendarClockFunction calendar_override;

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

void PauseMilliseconds(unsigned int milliseconds) {
  if (pause_override) {
    pause_override(milliseconds);
  } else {
    PauseNatively(milliseconds);
  }
}

long long GetCalendarSeconds() {
  return calendar_override ? calendar_override() : static_cast<long long>(std::time(nullptr));
}

LocalDateTime GetLocalDateTime() { return ToLocalDateTimeNatively(GetCalendarSeconds()); }

void OpenWithDefaultProgram(const char* target) {
  if (opener_override) {
    opener_override(target);
  } else {
    OpenNatively(target);
  }
}

BoxPresenterFunction ReplaceBoxPresenter(BoxPresenterFunction presenter) {
  return std::exchange(presenter_override, std::move(presenter));
}

PauseFunction ReplacePause(PauseFunction pause) {
  return std::exchange(pause_override, std::move(pause));
}

OpenerFunction ReplaceOpener(OpenerFunction opener) {
  return std::exchange(opener_override, std::move(opener));
}

CalendarClockFunction ReplaceCalendarClock(CalendarClockFunction clock) {
  return std::exchange(calendar_override, std::move(clock));
}
