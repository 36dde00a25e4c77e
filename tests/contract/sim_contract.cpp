// The toolkit contract on the simulated toolkit, which the program's unit
// tests run on: it must behave as the real toolkits do.
#include <algorithm>

#include "contract/contract.h"
#include "sim/sim_toolkit.h"

namespace dv::contract {
namespace {

class SimBackend {
 public:
  Toolkit& tk() { return toolkit_; }
  // Everything happens at once; timers tick a round at a time.
  bool WaitFor(const std::function<bool()>& done, int ms) {
    for (int round = 0; round < std::max(1, ms / 50); ++round) {
      if (done()) return true;
      toolkit_.FireTimers();
    }
    return done();
  }
  void Settle() {}
  void AnswerNextBox(int id) { toolkit_.answers.push_back(id); }
  std::string ActiveTitle() const {
    return toolkit_.activated.empty() ? std::string() : toolkit_.activated.back();
  }
  void WriteFile(const std::string& name, const std::string& text) { toolkit_.files[name] = text; }
  std::string ReadFile(const std::string& name) const { return toolkit_.files.at(name); }
  // A folder the simulated file system lacks is a path that fails.
  std::string TempName(const std::string& leaf) {
    const std::string name = "/contract/" + leaf;
    if (leaf.find('/') != std::string::npos) toolkit_.file_failures[name] = ErrorKind::PathNotFound;
    return name;
  }

 private:
  sim::SimToolkit toolkit_;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Simulated, Contract, SimBackend);

}  // namespace dv::contract
