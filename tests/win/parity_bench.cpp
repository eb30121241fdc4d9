#include <string>
int fenmark_parity_bench_placeholder;
namespace fenmark::wintest {
int RunBench(const std::wstring&, bool) { return 0; }
}
