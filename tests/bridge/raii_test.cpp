// Owners of handles, BSTRs, VARIANTs and COM references: every path lets go exactly once.
#include <dispex.h>

#include "bridge/handle.h"
#include "bridge_test.h"

namespace zuvelo::testing {
namespace {

bool IsOpen(HANDLE h) {
  DWORD flags = 0;
  return ::GetHandleInformation(h, &flags) != 0;
}

class RaiiTest : public BridgeTest {};

TEST_F(RaiiTest, HandleIsClosedOnceByWhoeverOwnsItLast) {
  unique_kernel_handle event(::CreateEventA(nullptr, FALSE, FALSE, nullptr));
  ASSERT_TRUE(event.valid());
  const HANDLE raw = event.get();

  unique_kernel_handle moved(std::move(event));
  EXPECT_FALSE(event.valid());
  EXPECT_EQ(moved.get(), raw);
  EXPECT_TRUE(IsOpen(raw));

  // put() closes what was held before it hands out the slot.
  HANDLE* slot = moved.put();
  EXPECT_FALSE(IsOpen(raw));
  *slot = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  const HANDLE second = moved.get();
  EXPECT_TRUE(IsOpen(second));

  HANDLE released = moved.release();
  EXPECT_FALSE(moved.valid());
  EXPECT_TRUE(IsOpen(released));
  unique_kernel_handle again(released);
  again = unique_kernel_handle();
  EXPECT_FALSE(IsOpen(released));
}

TEST_F(RaiiTest, FileHandleKnowsItsOwnNone) {
  unique_file_handle none;
  EXPECT_EQ(none.get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(none);
  unique_file_handle failed(::CreateFileA("Z:\\no\\such\\folder\\x", GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(failed);
}

TEST_F(RaiiTest, BstrKeepsItsExactLength) {
  const std::wstring_view text(L"a\0b", 3);
  unique_bstr s = make_bstr(text);
  ASSERT_TRUE(s);
  EXPECT_EQ(::SysStringLen(s.get()), 3u);
  EXPECT_EQ(bstr_view(s.get()), text);
  EXPECT_EQ(bstr_view(nullptr), L"");
  unique_bstr empty = make_bstr(L"");
  EXPECT_TRUE(empty);  // an allocated empty text, not a null one
  EXPECT_EQ(::SysStringLen(empty.get()), 0u);
}

TEST_F(RaiiTest, VariantHoldsItsReferenceUntilClearedOrMoved) {
  auto record = Make<IDispatchRecordImpl>();
  {
    unique_variant held = variant_dispatch(record.get());
    EXPECT_EQ(RefCount(record.get()), 2u);
    unique_variant moved(std::move(held));
    EXPECT_EQ(held.type(), VT_EMPTY);
    EXPECT_EQ(RefCount(record.get()), 2u);

    VARIANT out;
    moved.release_to(&out);
    EXPECT_EQ(moved.type(), VT_EMPTY);
    EXPECT_EQ(RefCount(record.get()), 2u);
    unique_variant owner;
    *owner.put() = out;
    owner = variant_i4(5);  // assignment clears the old value
    EXPECT_EQ(RefCount(record.get()), 1u);
    EXPECT_EQ(V_I4(owner.get()), 5);
  }
  unique_variant text = variant_text(L"x");
  *text.put() = *variant_bool(true).get();  // put() freed the text first
  EXPECT_EQ(V_BOOL(text.get()), VARIANT_TRUE);
  EXPECT_EQ(variant_bool(false)->boolVal, VARIANT_FALSE);
  EXPECT_EQ(variant_r8(0.5)->dblVal, 0.5);
}

TEST_F(RaiiTest, ComPointerAddsOnlyWhenAskedAndReleasesOnce) {
  auto* record = new IDispatchRecordImpl;
  com_ptr<IDispatchRecordImpl> adopted(record);
  EXPECT_EQ(RefCount(record), 1u);
  {
    auto copy = com_ptr<IDispatchRecordImpl>::copy_of(record);
    EXPECT_EQ(RefCount(record), 2u);
    com_ptr<IDispatchRecordImpl> moved(std::move(copy));
    EXPECT_FALSE(copy);
    EXPECT_EQ(RefCount(record), 2u);
  }
  EXPECT_EQ(RefCount(record), 1u);

  com_ptr<IDispatch> face;
  EXPECT_EQ(adopted.query(face), S_OK);
  EXPECT_EQ(RefCount(record), 2u);
  IDispatch** slot = face.put();  // releases before handing out
  EXPECT_EQ(*slot, nullptr);
  EXPECT_EQ(RefCount(record), 1u);

  com_ptr<IDispatchEx> extended;
  EXPECT_EQ(adopted.query(extended), E_NOINTERFACE);
  EXPECT_FALSE(extended);
  com_ptr<IDispatch> empty;
  EXPECT_EQ(empty.query(extended), E_POINTER);

  adopted.reset();
  EXPECT_EQ(LiveSampleObjects(), 0);
}

}  // namespace
}  // namespace zuvelo::testing
