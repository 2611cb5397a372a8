// skingen: draws the window's skin (the face and three images for each skin
// button) and writes it as 24-bit Windows bitmaps into the folder it is given.
// Every file is read back and checked, so a build never ships a broken skin.
//
//   skingen OUTPUT_FOLDER

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "font.h"

namespace skingen {
namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kPanel{22, 6, 0};
constexpr Rgb kPanelEdge{96, 24, 0};
constexpr Rgb kControlEdge{128, 36, 0};
constexpr Rgb kTitleTop{88, 14, 0};
constexpr Rgb kTitleBottom{26, 4, 0};
constexpr Rgb kTitleText{240, 176, 0};
constexpr Rgb kTagline{150, 70, 40};
constexpr Rgb kCaption{160, 80, 64};

class Image {
 public:
  Image(int width, int height)
      : width_(width),
        height_(height),
        px_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kBlack) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  Rgb At(int x, int y) const { return px_[y * width_ + x]; }

  // Drawing outside the image is clipped, so callers need not check edges.
  void Set(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < width_ && y < height_) px_[y * width_ + x] = c;
  }
  void Fill(int x, int y, int w, int h, Rgb c) {
    for (int j = y; j < y + h; ++j)
      for (int i = x; i < x + w; ++i) Set(i, j, c);
  }
  void Frame(int x, int y, int w, int h, Rgb c) {
    Fill(x, y, w, 1, c);
    Fill(x, y + h - 1, w, 1, c);
    Fill(x, y, 1, h, c);
    Fill(x + w - 1, y, 1, h, c);
  }
  void Paste(const Image& from, int x, int y) {
    for (int j = 0; j < from.Height(); ++j)
      for (int i = 0; i < from.Width(); ++i) Set(x + i, y + j, from.At(i, j));
  }

 private:
  int width_;
  int height_;
  std::vector<Rgb> px_;
};

const Glyph& FindGlyph(char ch) {
  for (const Glyph& g : kFont)
    if (g.ch == ch) return g;
  throw std::runtime_error(std::string("no glyph for '") + ch + "'");
}

int TextWidth(std::string_view text, int scale) {
  if (text.empty()) return 0;
  return static_cast<int>(text.size()) * (kGlyphWidth + 1) * scale - scale;
}

void DrawText(Image& img, int x, int y, std::string_view text, Rgb c, int scale = 1) {
  for (char ch : text) {
    const Glyph& g = FindGlyph(ch);
    for (int row = 0; row < kGlyphHeight; ++row)
      for (int col = 0; col < kGlyphWidth; ++col)
        if (g.rows[row][col] == '#') img.Fill(x + col * scale, y + row * scale, scale, scale, c);
    x += (kGlyphWidth + 1) * scale;
  }
}

// ---- Buttons -------------------------------------------------------------

enum class Face { kText, kMinimize, kClose, kFolder };

struct Button {
  const char* name;
  int left, right, top, bottom;  // the window's hit rectangles
  Face face;
  const char* label;
  int scale;
};

constexpr Button kButtons[] = {
    {"Add", 11, 48, 347, 360, Face::kText, "Add", 1},
    {"Acc", 62, 99, 347, 360, Face::kText, "Acc", 1},
    {"Rem", 114, 152, 347, 360, Face::kText, "Rem", 1},
    {"About", 488, 502, 176, 191, Face::kText, "?", 1},
    {"Open", 486, 504, 154, 167, Face::kFolder, "", 1},
    {"Minimize", 475, 484, 5, 13, Face::kMinimize, "", 1},
    {"Close", 499, 508, 5, 13, Face::kClose, "", 1},
    {"Search", 168, 245, 274, 287, Face::kText, "Search", 1},
    {"Find", 168, 245, 297, 310, Face::kText, "Find", 1},
    {"Test", 272, 339, 274, 287, Face::kText, "Test", 1},
    {"Save", 209, 313, 327, 363, Face::kText, "Save", 2},
};

enum class State { kNormal, kBlink, kPush };

struct ButtonColours {
  Rgb back, edge, ink;
};

ButtonColours ColoursFor(State s) {
  switch (s) {
    case State::kNormal:
      return {{48, 10, 0}, {140, 44, 0}, {223, 160, 0}};
    case State::kBlink:
      return {{112, 30, 0}, {255, 180, 40}, {255, 240, 100}};
    case State::kPush:
      return {{223, 160, 0}, {255, 224, 128}, {40, 6, 0}};
  }
  return {};
}

Image DrawButton(const Button& b, State s) {
  const int w = b.right - b.left;
  const int h = b.bottom - b.top;
  const ButtonColours c = ColoursFor(s);
  // A pressed button's content sinks by a pixel, as a real key would.
  const int sink = s == State::kPush ? 1 : 0;
  Image img(w, h);
  img.Fill(0, 0, w, h, c.back);
  img.Frame(0, 0, w, h, c.edge);
  if (h >= 30) img.Frame(2, 2, w - 4, h - 4, c.edge);
  switch (b.face) {
    case Face::kText: {
      const int x = (w - TextWidth(b.label, b.scale)) / 2 + sink;
      const int y = (h - kGlyphHeight * b.scale) / 2 + sink;
      DrawText(img, x, y, b.label, c.ink, b.scale);
      break;
    }
    case Face::kMinimize:
      img.Fill(2 + sink, h - 3 + sink, w - 4 - sink, 1, c.ink);
      break;
    case Face::kClose:
      for (int i = 0; i < 5; ++i) {
        img.Set(2 + i + sink, 1 + i + sink, c.ink);
        img.Set(6 - i + sink, 1 + i + sink, c.ink);
      }
      break;
    case Face::kFolder: {
      const int x = (w - 12) / 2 + sink;
      const int y = (h - 8) / 2 + sink;
      img.Fill(x, y, 5, 1, c.ink);
      img.Frame(x, y + 1, 12, 7, c.ink);
      break;
    }
  }
  return img;
}

// ---- The face --------------------------------------------------------------

constexpr int kFaceWidth = 515;
constexpr int kFaceHeight = 383;

struct Box {
  int x, y, w, h;
};

// Where the window's controls sit; the face leaves them black so the seams
// do not show around the controls.
constexpr Box kFramedControls[] = {
    {10, 26, 493, 117},    // result list
    {10, 154, 149, 157},   // keyword list
    {10, 322, 149, 19},    // keyword edit
    {170, 200, 41, 22},    // find mode
    {170, 152, 309, 19},   // folder
    {218, 200, 43, 22},    // congeniality rate: room for 100
    {296, 232, 50, 22},    // notice delay: room for 5000
    {354, 202, 149, 133},  // channel list
    {439, 342, 61, 22},    // time shift
};
constexpr Box kBareControls[] = {
    {168, 230, 86, 17},   // full search
    {168, 250, 73, 17},   // sorted
    {272, 202, 73, 17},   // remind
    {168, 178, 177, 13},  // progress label at its widest
    // The channels caption and the count, which grows leftwards from x = 474
    // towards it: one strip for both.
    {354, 180, 120, 14},
};
constexpr Box kPanels[] = {
    {4, 20, 507, 126},     // results
    {4, 148, 159, 223},    // keywords
    {165, 148, 345, 26},   // folder
    {165, 175, 185, 196},  // search defaults and actions
    {351, 175, 159, 196},  // channels
};

Rgb Blend(Rgb a, Rgb b, int num, int den) {
  auto mix = [&](std::uint8_t p, std::uint8_t q) {
    return static_cast<std::uint8_t>((p * (den - num) + q * num) / den);
  };
  return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

Image DrawFace() {
  Image img(kFaceWidth, kFaceHeight);
  for (int y = 0; y < 17; ++y) img.Fill(0, y, kFaceWidth, 1, Blend(kTitleTop, kTitleBottom, y, 16));
  img.Fill(0, 17, kFaceWidth, 1, kPanelEdge);
  img.Frame(0, 0, kFaceWidth, kFaceHeight, kPanelEdge);
  DrawText(img, 8, 5, "Kolvar", kTitleText);
  DrawText(img, 56, 5, "TV show reminder", kTagline);

  for (const Box& p : kPanels) {
    img.Fill(p.x, p.y, p.w, p.h, kPanel);
    img.Frame(p.x, p.y, p.w, p.h, kPanelEdge);
  }
  for (const Box& c : kFramedControls) {
    img.Fill(c.x, c.y, c.w, c.h, kBlack);
    img.Frame(c.x - 1, c.y - 1, c.w + 2, c.h + 2, kControlEdge);
  }
  for (const Box& c : kBareControls) img.Fill(c.x, c.y, c.w, c.h, kBlack);

  DrawText(img, 170, 191, "mode", kCaption);
  DrawText(img, 218, 191, "rate %", kCaption);
  // Above its box, as the other boxes' captions are: beside it, the check box
  // caption before it would run into it.
  DrawText(img, 296, 223, "delay s", kCaption);
  DrawText(img, 437 - TextWidth("shift min", 1), 349, "shift min", kCaption);
  DrawText(img, kFaceWidth - 8 - TextWidth("v2.51", 1), 374, "v2.51", kTagline);

  // Until the first pointer move only the face is on screen, so it carries
  // the buttons as they look at rest.
  for (const Button& b : kButtons) img.Paste(DrawButton(b, State::kNormal), b.left, b.top);
  return img;
}

// ---- Windows bitmap files --------------------------------------------------

constexpr int kHeaderSize = 54;

int RowStride(int width) { return (width * 3 + 3) / 4 * 4; }

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(v & 0xff);
  out.push_back((v >> 8) & 0xff);
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xffff);
  Put16(out, v >> 16);
}

std::vector<std::uint8_t> EncodeBmp(const Image& img) {
  const std::uint32_t pixels = RowStride(img.Width()) * img.Height();
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, kHeaderSize + pixels);
  Put32(out, 0);
  Put32(out, kHeaderSize);
  Put32(out, 40);
  Put32(out, img.Width());
  Put32(out, img.Height());  // positive: rows run bottom-up
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, 0);  // BI_RGB
  Put32(out, pixels);
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, 0);
  Put32(out, 0);
  for (int y = img.Height() - 1; y >= 0; --y) {
    for (int x = 0; x < img.Width(); ++x) {
      const Rgb c = img.At(x, y);
      out.push_back(c.b);
      out.push_back(c.g);
      out.push_back(c.r);
    }
    for (int pad = img.Width() * 3; pad < RowStride(img.Width()); ++pad) out.push_back(0);
  }
  return out;
}

std::uint32_t Get(const std::vector<std::uint8_t>& in, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | in.at(at + i);
  return v;
}

// Reads the file back and checks its header on its own terms, not only
// against what we meant to write, so an encoder slip cannot hide.
void VerifyBmp(const std::filesystem::path& file, const Image& img,
               const std::vector<std::uint8_t>& written) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<std::uint8_t> got((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
  auto fail = [&](const char* what) { throw std::runtime_error(file.string() + ": " + what); };
  if (got.size() < kHeaderSize) fail("shorter than a bitmap header");
  const std::uint32_t expected = kHeaderSize + RowStride(img.Width()) * img.Height();
  if (got[0] != 'B' || got[1] != 'M') fail("no BM signature");
  if (Get(got, 2, 4) != expected || got.size() != expected) fail("wrong file size");
  if (Get(got, 10, 4) != kHeaderSize) fail("pixels not right after the header");
  if (Get(got, 14, 4) != 40) fail("not a BITMAPINFOHEADER");
  if (Get(got, 18, 4) != static_cast<std::uint32_t>(img.Width())) fail("wrong width");
  if (Get(got, 22, 4) != static_cast<std::uint32_t>(img.Height())) fail("wrong height");
  if (Get(got, 26, 2) != 1 || Get(got, 28, 2) != 24) fail("not one plane of 24 bits");
  if (Get(got, 30, 4) != 0) fail("compressed");
  if (got != written) fail("differs from what was written");
}

void WriteBmp(const std::filesystem::path& file, const Image& img) {
  const std::vector<std::uint8_t> bytes = EncodeBmp(img);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error(file.string() + ": cannot write");
  }
  VerifyBmp(file, img, bytes);
}

int Run(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: skingen OUTPUT_FOLDER\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  WriteBmp(dir / "border.bmp", DrawFace());
  constexpr struct {
    State state;
    const char* suffix;
  } kStates[] = {
      {State::kNormal, "_normal.bmp"}, {State::kBlink, "_blink.bmp"}, {State::kPush, "_push.bmp"}};
  for (const Button& b : kButtons)
    for (const auto& s : kStates)
      WriteBmp(dir / (std::string(b.name) + s.suffix), DrawButton(b, s.state));
  return 0;
}

}  // namespace
}  // namespace skingen

int main(int argc, char** argv) {
  try {
    return skingen::Run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skingen: %s\n", e.what());
    return 1;
  }
}
