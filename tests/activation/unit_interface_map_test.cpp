// LookupInterface over maps with simple, handler, blind and end rows.
#include <gtest/gtest.h>

#include <vector>

#include "module/interface_map.h"

namespace {

const IID kFirst = {0x11111111, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
const IID kSecond = {0x22222222, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};
const IID kHandled = {0x33333333, 0, 0, {0, 0, 0, 0, 0, 0, 0, 3}};
const IID kRefused = {0x44444444, 0, 0, {0, 0, 0, 0, 0, 0, 0, 4}};
const IID kUnknownToAll = {0x55555555, 0, 0, {0, 0, 0, 0, 0, 0, 0, 5}};

// Counts AddRef calls per interface part.
struct Part : IUnknown {
  STDMETHOD(QueryInterface)(REFIID, void **) override { return E_NOTIMPL; }
  STDMETHOD_(ULONG, AddRef)() override { return ++addRefs; }
  STDMETHOD_(ULONG, Release)() override { return 1; }
  ULONG addRefs = 0;
};
struct FirstPart : Part {};
struct SecondPart : Part {};
struct Object : FirstPart, SecondPart {
  std::vector<DWORD> handlerCalls;  // the arguments the handlers were called with
};

// Handler rows: the argument picks the outcome.
HRESULT WINAPI Handler(void *object, REFIID, void **out, DWORD argument) {
  Object *self = static_cast<Object *>(object);
  self->handlerCalls.push_back(argument);
  switch (argument) {
    case 1:  // answers with the second part
      *out = static_cast<SecondPart *>(self);
      static_cast<SecondPart *>(self)->AddRef();
      return S_OK;
    case 2:
      return E_ACCESSDENIED;
    case 3:  // a success other than S_OK, with a pointer left behind
      *out = self;
      return S_FALSE;
    default:
      return E_NOINTERFACE;
  }
}

class LookupInterfaceTest : public ::testing::Test {
 protected:
  const DWORD firstOffset = InterfaceOffset<FirstPart, Object>();
  const DWORD secondOffset = InterfaceOffset<SecondPart, Object>();
  Object object;
};

TEST_F(LookupInterfaceTest, OffsetsPointAtTheParts) {
  EXPECT_EQ(static_cast<void *>(static_cast<FirstPart *>(&object)),
            reinterpret_cast<BYTE *>(&object) + firstOffset);
  EXPECT_EQ(static_cast<void *>(static_cast<SecondPart *>(&object)),
            reinterpret_cast<BYTE *>(&object) + secondOffset);
}

TEST_F(LookupInterfaceTest, RowsAnswerInOrder) {
  const InterfaceMapEntry map[] = {
      {&kFirst, firstOffset, SimpleInterfaceRow()},
      {&kSecond, secondOffset, SimpleInterfaceRow()},
      {&kRefused, 2, &Handler},   // named row failing: returned at once
      {nullptr, 3, &Handler},     // blind row with S_FALSE: skipped
      {nullptr, 9, &Handler},     // blind row failing: skipped
      {&kHandled, 1, &Handler},   // named row answering
      {&kRefused, 1, &Handler},   // never reached for kRefused
      {nullptr, 0, nullptr},
  };
  struct Case {
    const char *name;
    const IID *iid;
    HRESULT result;
    void *expected;
    std::vector<DWORD> handlerCalls;
  } cases[] = {
      {"IUnknown is the first row's part", &IID_IUnknown, S_OK, static_cast<FirstPart *>(&object), {}},
      {"simple first row", &kFirst, S_OK, static_cast<FirstPart *>(&object), {}},
      {"simple second row", &kSecond, S_OK, static_cast<SecondPart *>(&object), {}},
      {"failure of a named handler row", &kRefused, E_ACCESSDENIED, nullptr, {2}},
      {"blind rows pass on to a named handler", &kHandled, S_OK, static_cast<SecondPart *>(&object), {3, 9, 1}},
      {"no row answers", &kUnknownToAll, E_NOINTERFACE, nullptr, {3, 9}},
  };
  for (const Case &c : cases) {
    object.handlerCalls.clear();
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(c.result, LookupInterface(&object, map, *c.iid, &out)) << c.name;
    EXPECT_EQ(c.expected, out) << c.name;
    EXPECT_EQ(c.handlerCalls, object.handlerCalls) << c.name;
  }
  // One reference added per pointer handed out.
  EXPECT_EQ(2u, static_cast<FirstPart &>(object).addRefs);
  EXPECT_EQ(2u, static_cast<SecondPart &>(object).addRefs);
}

TEST_F(LookupInterfaceTest, IUnknownIsAnsweredWithoutWalkingTheRows) {
  const InterfaceMapEntry map[] = {
      {&kSecond, secondOffset, SimpleInterfaceRow()},
      {nullptr, 1, &Handler},
      {nullptr, 0, nullptr},
  };
  void *out = nullptr;
  EXPECT_EQ(S_OK, LookupInterface(&object, map, IID_IUnknown, &out));
  EXPECT_EQ(static_cast<void *>(static_cast<SecondPart *>(&object)), out);
  EXPECT_TRUE(object.handlerCalls.empty());
}

TEST_F(LookupInterfaceTest, BadArguments) {
  const InterfaceMapEntry map[] = {{&kFirst, firstOffset, SimpleInterfaceRow()}, {nullptr, 0, nullptr}};
  void *out = reinterpret_cast<void *>(1);
  EXPECT_EQ(E_INVALIDARG, LookupInterface(nullptr, map, kFirst, &out));
  EXPECT_EQ(E_INVALIDARG, LookupInterface(&object, nullptr, kFirst, &out));
  EXPECT_EQ(reinterpret_cast<void *>(1), out);  // untouched before the out check
  EXPECT_EQ(E_POINTER, LookupInterface(&object, map, kFirst, nullptr));
  EXPECT_EQ(0u, static_cast<FirstPart &>(object).addRefs);
}

}  // namespace
