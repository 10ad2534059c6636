#include "forms/TreeStack.h"

#include <pthread.h>

namespace zu {

namespace {

struct Call {
  const std::function<int()>* body;
  int result;
};

void* RunCall(void* call) {
  auto* c = static_cast<Call*>(call);
  c->result = (*c->body)();
  return nullptr;
}

}  // namespace

int RunWithTreeStack(const std::function<int()>& body) {
  Call call{&body, 0};
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return body();
  pthread_t thread;
  const bool started = pthread_attr_setstacksize(&attributes, TreeStackBytes) == 0 &&
                       pthread_create(&thread, &attributes, RunCall, &call) == 0;
  pthread_attr_destroy(&attributes);
  if (!started) return body();
  pthread_join(thread, nullptr);
  return call.result;
}

}  // namespace zu
