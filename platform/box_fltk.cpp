// A modal message box with the toolkit: caption as title, icon, text and one OK button.
#include "platform/platform_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Widget.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr int BOX_MARGIN = 16;
constexpr int BOX_ICON_SIZE = 32;
constexpr int BOX_BUTTON_WIDTH = 88;
constexpr int BOX_BUTTON_HEIGHT = 26;
constexpr int BOX_MIN_TEXT_WIDTH = 200;
constexpr int BOX_FONT_SIZE = 14;
constexpr Fl_Font BOX_FONT = FL_HELVETICA;

// The icons of the three kinds: a yellow warning triangle, a red stop disc with a
// cross, a blue disc with an "i".
class BoxIconWidget : public Fl_Widget {
 public:
  BoxIconWidget(int x, int y, BoxIcon icon)
      : Fl_Widget(x, y, BOX_ICON_SIZE, BOX_ICON_SIZE), icon_(icon) {}

  void draw() override {
    const int s = BOX_ICON_SIZE;
    switch (icon_) {
      case BoxIcon::Warning:
        fl_color(fl_rgb_color(250, 200, 30));
        fl_polygon(x() + s / 2, y(), x() + s - 1, y() + s - 1, x(), y() + s - 1);
        fl_color(FL_BLACK);
        fl_loop(x() + s / 2, y(), x() + s - 1, y() + s - 1, x(), y() + s - 1);
        DrawCentredGlyph("!", FL_BLACK, s / 6);
        break;
      case BoxIcon::Error:
        fl_color(fl_rgb_color(200, 30, 30));
        fl_pie(x(), y(), s, s, 0, 360);
        fl_color(FL_WHITE);
        fl_line_style(FL_SOLID, 4);
        fl_line(x() + s / 3, y() + s / 3, x() + 2 * s / 3, y() + 2 * s / 3);
        fl_line(x() + 2 * s / 3, y() + s / 3, x() + s / 3, y() + 2 * s / 3);
        fl_line_style(0);
        break;
      case BoxIcon::Information:
        fl_color(fl_rgb_color(30, 90, 200));
        fl_pie(x(), y(), s, s, 0, 360);
        DrawCentredGlyph("i", FL_WHITE, 0);
        break;
    }
  }

 private:
  void DrawCentredGlyph(const char* glyph, Fl_Color colour, int drop) {
    fl_color(colour);
    fl_font(FL_HELVETICA_BOLD, BOX_ICON_SIZE * 2 / 3);
    fl_draw(glyph, x(), y() + drop, w(), h() - drop, FL_ALIGN_CENTER, nullptr, 0);
  }

  BoxIcon icon_;
};

// Draws the text exactly as given, where a label would turn '@' into a symbol.
class BoxTextWidget : public Fl_Widget {
 public:
  BoxTextWidget(int x, int y, int w, int h, const char* text)
      : Fl_Widget(x, y, w, h), text_(text) {}

  void draw() override {
    fl_color(FL_FOREGROUND_COLOR);
    fl_font(BOX_FONT, BOX_FONT_SIZE);
    fl_draw(text_.c_str(), x(), y(), w(), h(), FL_ALIGN_TOP_LEFT | FL_ALIGN_WRAP | FL_ALIGN_CLIP,
            nullptr, 0);
  }

 private:
  std::string text_;
};

void HideBox(Fl_Widget* widget, void*) {
  Fl_Window* window = widget->window() ? widget->window() : widget->as_window();
  if (window) window->hide();
}

// Size of the text area: as wide as the longest line, wrapped to the screen when wider,
// and clipped when taller than the screen, so the OK button always stays on it.
void MeasureText(const char* text, int maxW, int maxH, int* textW, int* textH) {
  fl_font(BOX_FONT, BOX_FONT_SIZE);
  int w = 0, h = 0;
  fl_measure(text, w, h, 0);
  if (w > maxW) {
    w = maxW;
    h = 0;
    fl_measure(text, w, h, 0);
  }
  *textW = std::max(w, BOX_MIN_TEXT_WIDTH);
  *textH = std::min(std::max(h, BOX_ICON_SIZE), maxH);
}

void RunBox(const char* caption, const char* text, BoxIcon icon) {
  int screenX = 0, screenY = 0, screenW = 0, screenH = 0;
  Fl::screen_xywh(screenX, screenY, screenW, screenH, 0);
  const int textX = 2 * BOX_MARGIN + BOX_ICON_SIZE;
  int textW = 0, textH = 0;
  MeasureText(text, screenW - textX - 3 * BOX_MARGIN,
              screenH - 6 * BOX_MARGIN - BOX_BUTTON_HEIGHT, &textW, &textH);
  const int windowW = textX + textW + BOX_MARGIN;
  const int windowH = 3 * BOX_MARGIN + textH + BOX_BUTTON_HEIGHT;

  Fl_Double_Window window(screenX + (screenW - windowW) / 2,
                          screenY + (screenH - windowH) / 2, windowW, windowH);
  window.copy_label(caption);
  new BoxIconWidget(BOX_MARGIN, BOX_MARGIN, icon);
  new BoxTextWidget(textX, BOX_MARGIN, textW, textH, text);
  Fl_Return_Button* ok = new Fl_Return_Button((windowW - BOX_BUTTON_WIDTH) / 2,
                                              windowH - BOX_MARGIN - BOX_BUTTON_HEIGHT,
                                              BOX_BUTTON_WIDTH, BOX_BUTTON_HEIGHT, "OK");
  ok->callback(HideBox);
  window.end();
  window.callback(HideBox);  // the close box and Escape
  // Modal: no other window of the program takes events until the box is gone.
  window.set_modal();
  window.show();
  ok->take_focus();
  while (window.shown()) Fl::wait();
}

}  // namespace

void PresentWindowBox(const char* caption, const char* text, BoxIcon icon) {
  if (!OpenDisplay()) {
    fprintf(stderr, "%s\n%s", caption, text);
    return;
  }
  RunBox(caption, text, icon);
  // The box window is destroyed; let the server know before the caller goes on.
  Fl::flush();
}
