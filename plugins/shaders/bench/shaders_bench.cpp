// What a Shader event costs around its shader, in one window of 1280 x 720:
// an event's full-viewport pass against a bare program of this project
// drawing the same shader, a chain of four buffers against one pass, and an
// edit-mode save to the first frame drawn with the new program. Each
// benchmark times both sides in the same iterations, one after the other,
// and reports their ratio; glFinish ends every timed draw.
#include <benchmark/benchmark.h>
#include <GL/glew.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <zorbit/oglstate.h>

#include "effectcall.h"
#include "glwindow.h"
#include "shaderprogram.h"
#include "shadersource.h"
#include "tempfolder.h"
#include "testhost.h"
#include "textfile.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWidth = 1280;
constexpr int kHeight = 720;

// A plasma: a few dozen operations per pixel, as small demo shaders have.
const char* const kPlasma =
    "void mainImage(out vec4 fragColor, in vec2 fragCoord) {\n"
    "  vec2 uv = fragCoord / iResolution.xy;\n"
    "  float v = sin(uv.x * 10.0 + iTime) + sin((uv.y * 10.0 + iTime) * 0.5)\n"
    "          + sin((uv.x * 10.0 + uv.y * 10.0 + iTime) * 0.5);\n"
    "  vec2 c = uv * 10.0 + vec2(sin(iTime / 3.0), cos(iTime / 2.0)) * 5.0;\n"
    "  v += sin(sqrt(c.x * c.x + c.y * c.y + 1.0) + iTime);\n"
    "  fragColor = vec4(0.5 + 0.5 * sin(v * 3.14159), 0.5 + 0.5 * cos(v * 3.14159), 0.5 + 0.5 * sin(v), 1.0);\n"
    "}\n";
const char* const kPlasmaThrough =
    "void mainImage(out vec4 fragColor, in vec2 fragCoord) {\n"
    "  vec2 uv = fragCoord / iResolution.xy;\n"
    "  float v = sin(uv.x * 10.0 + iTime) + sin((uv.y * 10.0 + iTime) * 0.5)\n"
    "          + sin((uv.x * 10.0 + uv.y * 10.0 + iTime) * 0.5);\n"
    "  vec2 c = uv * 10.0 + vec2(sin(iTime / 3.0), cos(iTime / 2.0)) * 5.0;\n"
    "  v += sin(sqrt(c.x * c.x + c.y * c.y + 1.0) + iTime);\n"
    "  fragColor = 0.5 * texture(iChannel0, uv) + 0.5 * vec4(0.5 + 0.5 * sin(v * 3.14159), 0.5, 0.5, 1.0);\n"
    "}\n";

// The window, its tracker, and shaders.so in the test host.
struct Bench {
  Bench() {
    if (!EnsureGLWindow(kWidth, kHeight)) std::abort();
    state = std::make_unique<OGLState>(kWidth, kHeight);
    MakeCurrent(state.get());
    host = std::make_unique<TestHost>(state.get());
  }
  ~Bench() {
    host.reset();
    MakeCurrent(nullptr);
  }
  void Load() {
    if (host->Load("shaders") == nullptr) std::abort();
    shader = host->Symbol("Shader");
  }
  int32_t File(const std::string& inName, const std::string& inText) {
    WriteFile(folder.Path() + "/" + inName, inText);
    return host->Name(folder.Path() + "/" + inName);
  }
  std::vector<int32_t> Values(int32_t inFile, int32_t inTarget = -1, int32_t inOutput = 0) const {
    std::vector<int32_t> theValues(40, 0);
    theValues[0] = inFile;
    theValues[1] = inTarget;
    theValues[2] = inOutput;
    theValues[5] = 255;
    return theValues;
  }
  void Run(void*& ioSlot, const std::vector<int32_t>& inValues, int32_t inElapsed) {
    FrameInfo theInfo = MakeInfo(PHASE_MAKE, 0, 1000000, false, inElapsed);
    if (ioSlot == nullptr) CallEffect(shader, theInfo, &ioSlot, inValues);
    theInfo = MakeInfo(PHASE_RUN, 0, 1000000, false, inElapsed);
    CallEffect(shader, theInfo, &ioSlot, inValues);
  }
  void End(void*& ioSlot, const std::vector<int32_t>& inValues) {
    FrameInfo theInfo = MakeInfo(PHASE_DESTROY);
    CallEffect(shader, theInfo, &ioSlot, inValues);
  }

  TempFolder folder{"shaders_bench"};
  std::unique_ptr<OGLState> state;
  std::unique_ptr<TestHost> host;
  void* shader = nullptr;
};

// The same shader drawn by a program of its own: the prepared source, the
// full-screen quad, the two inputs the plasma reads.
struct BareProgram {
  explicit BareProgram(const char* inText) {
    const shadersource::Prepared thePrepared = shadersource::Prepare(inText);
    std::string theLog;
    std::vector<std::string> theWarnings;
    if (!BuildProgram(thePrepared, "plasma", program, theLog, theWarnings)) std::abort();
    const GLfloat theQuad[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glGenVertexArrays(1, &array);
    glBindVertexArray(array);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof theQuad, theQuad, GL_STATIC_DRAW);
    glVertexAttribPointer(kPositionAttribute, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(kPositionAttribute);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
  }
  ~BareProgram() {
    DeleteProgram(program);
    glDeleteVertexArrays(1, &array);
    glDeleteBuffers(1, &buffer);
  }
  void Draw(float inTime) const {
    glUseProgram(program.program);
    glUniform3f(program.inputs.resolution, kWidth, kHeight, 1);
    glUniform1f(program.inputs.time, inTime);
    glBindVertexArray(array);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glBindVertexArray(0);
    glUseProgram(0);
  }
  ShaderProgram program;
  GLuint array = 0, buffer = 0;
};

double Seconds(Clock::time_point inStart) { return std::chrono::duration<double>(Clock::now() - inStart).count(); }

void EventAgainstBareProgram(benchmark::State& ioState) {
  Bench theBench;
  theBench.Load();
  const std::vector<int32_t> theValues = theBench.Values(theBench.File("plasma.glsl", kPlasma));
  BareProgram theBare(kPlasma);
  void* theSlot = nullptr;
  theBench.Run(theSlot, theValues, 0);
  glFinish();
  double theBareTime = 0, theEventTime = 0;
  int32_t theElapsed = 0;
  for (auto _ : ioState) {
    theElapsed += 16;
    Clock::time_point theStart = Clock::now();
    theBare.Draw(float(theElapsed) / 1000.0f);
    glFinish();
    theBareTime += Seconds(theStart);
    theStart = Clock::now();
    theBench.Run(theSlot, theValues, theElapsed);
    glFinish();
    const double theEvent = Seconds(theStart);
    theEventTime += theEvent;
    ioState.SetIterationTime(theEvent);
  }
  ioState.counters["bare_ms"] = 1000.0 * theBareTime / double(ioState.iterations());
  ioState.counters["event_ms"] = 1000.0 * theEventTime / double(ioState.iterations());
  ioState.counters["ratio"] = theEventTime / theBareTime;
  theBench.End(theSlot, theValues);
}
BENCHMARK(EventAgainstBareProgram)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(60);

// Buffers A..C into targets, each reading the one before; D reads C and
// draws onto the viewport as well as into its target (a pass and a copy).
// The one pass is the same shader onto the viewport, reading a buffer too,
// so both sides do the same work per pixel and pass. With the argument 1,
// D draws onto the viewport only: three buffers and the image pass.
void FourBuffersAgainstOnePass(benchmark::State& ioState) {
  Bench theBench;
  theBench.Load();
  const int32_t theFile = theBench.File("through.glsl", kPlasmaThrough);
  std::vector<std::vector<int32_t>> theChain;
  const char* const kNames[] = {"A", "B", "C", "D"};
  for (int i = 0; i < 4; ++i) {
    const bool theImagePass = i == 3 && ioState.range(0) == 1;
    std::vector<int32_t> theValues =
        theBench.Values(theFile, theImagePass ? -1 : theBench.host->Name(kNames[i]), i == 3 ? (theImagePass ? 0 : 2) : 1);
    if (i > 0) {
      theValues[8] = 4;
      theValues[9] = theBench.host->Name(kNames[i - 1]);
    }
    theChain.push_back(theValues);
  }
  std::vector<int32_t> theOne = theBench.Values(theFile);
  theOne[8] = 4;
  theOne[9] = theBench.host->Name("C");
  void* theSlots[5] = {};
  for (int i = 0; i < 4; ++i) theBench.Run(theSlots[i], theChain[size_t(i)], 0);
  theBench.Run(theSlots[4], theOne, 0);
  glFinish();
  double theOneTime = 0, theChainTime = 0;
  int32_t theElapsed = 0;
  for (auto _ : ioState) {
    theElapsed += 16;
    Clock::time_point theStart = Clock::now();
    theBench.Run(theSlots[4], theOne, theElapsed);
    glFinish();
    theOneTime += Seconds(theStart);
    theStart = Clock::now();
    for (int i = 0; i < 4; ++i) theBench.Run(theSlots[i], theChain[size_t(i)], theElapsed);
    glFinish();
    const double theChained = Seconds(theStart);
    theChainTime += theChained;
    ioState.SetIterationTime(theChained);
  }
  ioState.counters["one_pass_ms"] = 1000.0 * theOneTime / double(ioState.iterations());
  ioState.counters["chain_ms"] = 1000.0 * theChainTime / double(ioState.iterations());
  ioState.counters["ratio"] = theChainTime / theOneTime;
  for (int i = 0; i < 4; ++i) theBench.End(theSlots[i], theChain[size_t(i)]);
  theBench.End(theSlots[4], theOne);
}
BENCHMARK(FourBuffersAgainstOnePass)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

// Edit mode: from the save (the file written) to the end of the first frame
// drawn with the new program, the plug-in's own look at the file included.
void SaveToFirstFrame(benchmark::State& ioState) {
  setenv("ZORBIT_EDIT", "1", 1);
  Bench theBench;
  theBench.Load();
  const int32_t theFile = theBench.File("live.glsl", kPlasma);
  const std::string thePath = theBench.folder.Path() + "/live.glsl";
  const std::vector<int32_t> theValues = theBench.Values(theFile);
  void* theSlot = nullptr;
  theBench.Run(theSlot, theValues, 0);
  glFinish();
  int32_t theElapsed = 0;
  int theSave = 0;
  for (auto _ : ioState) {
    ++theSave;
    const std::string theText = std::string(kPlasma) + "// save " + std::to_string(theSave) + "\n";
    theElapsed += 16;
    const Clock::time_point theStart = Clock::now();
    WriteFile(thePath, theText);
    theBench.Run(theSlot, theValues, theElapsed);
    glFinish();
    ioState.SetIterationTime(Seconds(theStart));
  }
  theBench.End(theSlot, theValues);
  unsetenv("ZORBIT_EDIT");
}
BENCHMARK(SaveToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// The cost of the look at the file itself, every frame in edit mode.
void EditModeFrameWithoutSave(benchmark::State& ioState) {
  setenv("ZORBIT_EDIT", "1", 1);
  Bench theBench;
  theBench.Load();
  const std::vector<int32_t> theValues = theBench.Values(theBench.File("still.glsl", "void mainImage(out vec4 c, vec2 p) { c = vec4(1.0); }\n"));
  void* theSlot = nullptr;
  int32_t theElapsed = 0;
  for (auto _ : ioState) theBench.Run(theSlot, theValues, theElapsed += 16);
  glFinish();
  theBench.End(theSlot, theValues);
  unsetenv("ZORBIT_EDIT");
}
BENCHMARK(EditModeFrameWithoutSave)->Unit(benchmark::kMicrosecond)->Iterations(200);

}  // namespace
