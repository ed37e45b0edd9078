// Appending to a Buffer against std::string doing the same, one byte and one
// kilobyte at a time, in the same run.
#include <benchmark/benchmark.h>

#include <string>

#include "buffer.h"

namespace {

const std::string gKilobyte(1024, 'k');

void BM_BufferAppendByte(benchmark::State& ioState) {
  for (auto _ : ioState) {
    Buffer theBuffer(0u);
    for (int i = 0; i < 4096; ++i) theBuffer.Insert(theBuffer.Length(), static_cast<unsigned char>('x'));
    benchmark::DoNotOptimize(theBuffer.PtrC());
  }
  ioState.SetItemsProcessed(ioState.iterations() * 4096);
}

void BM_StringAppendByte(benchmark::State& ioState) {
  for (auto _ : ioState) {
    std::string theString;
    for (int i = 0; i < 4096; ++i) theString.push_back('x');
    benchmark::DoNotOptimize(theString.data());
  }
  ioState.SetItemsProcessed(ioState.iterations() * 4096);
}

void BM_BufferAppendKilobyte(benchmark::State& ioState) {
  for (auto _ : ioState) {
    Buffer theBuffer(0u);
    for (int i = 0; i < 256; ++i) theBuffer.Add(gKilobyte.c_str());
    benchmark::DoNotOptimize(theBuffer.PtrC());
  }
  ioState.SetBytesProcessed(ioState.iterations() * 256 * 1024);
}

void BM_StringAppendKilobyte(benchmark::State& ioState) {
  for (auto _ : ioState) {
    std::string theString;
    for (int i = 0; i < 256; ++i) theString.append(gKilobyte.c_str());
    benchmark::DoNotOptimize(theString.data());
  }
  ioState.SetBytesProcessed(ioState.iterations() * 256 * 1024);
}

BENCHMARK(BM_StringAppendByte);
BENCHMARK(BM_BufferAppendByte);
BENCHMARK(BM_StringAppendKilobyte);
BENCHMARK(BM_BufferAppendKilobyte);

}  // namespace
