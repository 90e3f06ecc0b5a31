// Every person operation under an allocation failure at each point it
// allocates: it fails with a status, every field keeps its value, and an
// output it had emptied stays empty.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "person/osoba.h"
#include "tests/support/allocation_faults.h"
#include "tests/support/fake_runtime.h"

using namespace std::chrono;
using platform::DATE;
using platform::kOk;
using platform::Ref;
using platform::Status;
using platform::Text;

namespace {

struct Fields {
    Text first_name;
    Text surname;
    DATE birth_date = 0.0;
    friend bool operator==(const Fields&, const Fields&) = default;
};

Fields Read(const TOsoba& person)
{
    Fields fields;
    EXPECT_EQ(person.get_Jmeno(fields.first_name), kOk);
    EXPECT_EQ(person.get_Prijmeni(fields.surname), kOk);
    EXPECT_EQ(person.get_DatumNarozeni(fields.birth_date), kOk);
    return fields;
}

// Texts long enough that every copy allocates.
const std::string kOld(64, 'o');
const std::string kNew(80, 'n');
const DATE kToday = platform::DateFromCivil(2026y / December / 7);

// Calls a getter with an output that holds something already.
template <class Getter>
Status Get(Getter getter)
{
    Text out = "left over";
    const Status status = getter(out);
    if (status.Failed()) {
        EXPECT_EQ(out, "") << "the output is emptied first and filled only on success";
    }
    return status;
}

struct Operation {
    const char* name;
    bool allocates;  // with the long texts above, or through the recording box
    std::function<Status(TOsoba&)> call;
};

const std::vector<Operation> kOperations = {
    {"CeleJmeno", true, [](TOsoba& o) { return Get([&](Text& out) { return o.CeleJmeno(out); }); }},
    {"ZobrazVse", true, [](TOsoba& o) { return o.ZobrazVse(); }},
    {"Vek", false,
     [](TOsoba& o) {
         std::int16_t out = 0;
         return o.Vek(out);
     }},
    {"DatumNarozeni stored", false, [](TOsoba& o) { return o.put_DatumNarozeni(kToday - 2.0); }},
    {"DatumNarozeni refused", true, [](TOsoba& o) { return o.put_DatumNarozeni(kToday); }},
    {"get DatumNarozeni", false,
     [](TOsoba& o) {
         DATE out = 0.0;
         return o.get_DatumNarozeni(out);
     }},
    {"Prijmeni", true, [](TOsoba& o) { return o.put_Prijmeni(kNew); }},
    {"get Prijmeni", true, [](TOsoba& o) { return Get([&](Text& out) { return o.get_Prijmeni(out); }); }},
    {"Jmeno", true, [](TOsoba& o) { return o.put_Jmeno(kNew); }},
    {"get Jmeno", true, [](TOsoba& o) { return Get([&](Text& out) { return o.get_Jmeno(out); }); }},
};

constexpr std::align_val_t kWide{256};  // beyond what malloc aligns to

}  // namespace

// Every form of operator new that GoogleTest or the program may call is
// counted and failed, and each block goes back with its matching delete. (The
// sized deletes, which clang declares only from 19 on, take every delete that
// g++ compiles.)
TEST(AllocationFaults, EveryFormOfNewIsCountedFailedAndFreed)
{
    struct Form {
        const char* name;
        void* (*make)();
        void (*release)(void*);
        bool throws;
        std::size_t alignment = 1;  // none asked for
    };
    for (const Form& form : {
             Form{"new", [] { return ::operator new(24); }, [](void* p) { ::operator delete(p); }, true},
             Form{"new[]", [] { return ::operator new[](24); }, [](void* p) { ::operator delete[](p); }, true},
             Form{"nothrow new", [] { return ::operator new(24, std::nothrow); },
                  [](void* p) { ::operator delete(p, std::nothrow); }, false},
             Form{"nothrow new[]", [] { return ::operator new[](24, std::nothrow); },
                  [](void* p) { ::operator delete[](p, std::nothrow); }, false},
             Form{"aligned new", [] { return ::operator new(24, kWide); }, [](void* p) { ::operator delete(p, kWide); },
                  true, 256},
             Form{"aligned new[]", [] { return ::operator new[](24, kWide); },
                  [](void* p) { ::operator delete[](p, kWide); }, true, 256},
             Form{"aligned nothrow new", [] { return ::operator new(24, kWide, std::nothrow); },
                  [](void* p) { ::operator delete(p, kWide, std::nothrow); }, false, 256},
             Form{"aligned nothrow new[]", [] { return ::operator new[](24, kWide, std::nothrow); },
                  [](void* p) { ::operator delete[](p, kWide, std::nothrow); }, false, 256},
         }) {
        SCOPED_TRACE(form.name);
        {
            testing_support::AllocationFaults counter;
            void* const block = form.make();
            ASSERT_NE(block, nullptr);
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % form.alignment, 0u);
            form.release(block);
            EXPECT_EQ(counter.Seen(), 1);
            EXPECT_EQ(counter.Outstanding(), 0);
        }
        testing_support::AllocationFaults faults(1);
        if (form.throws) {
            EXPECT_THROW(form.make(), std::bad_alloc);
        } else {
            EXPECT_EQ(form.make(), nullptr);
        }
        EXPECT_TRUE(faults.Injected());
        EXPECT_EQ(faults.Outstanding(), 0);
    }
}

TEST(PersonAllocationFailure, LeavesEveryFieldAsItWas)
{
    testing_support::FakeRuntime runtime(2026y / December / 7);
    for (const Operation& operation : kOperations) {
        int failures = 0;
        for (long n = 1;; ++n) {
            SCOPED_TRACE(testing::Message() << operation.name << ", allocation " << n);
            Ref<TOsoba> person;
            ASSERT_EQ(platform::CreateObject(person), kOk);
            ASSERT_EQ(person->put_Jmeno(kOld), kOk);
            ASSERT_EQ(person->put_Prijmeni(kOld + "p"), kOk);
            ASSERT_EQ(person->put_DatumNarozeni(kToday - 100.0), kOk);
            const Fields before = Read(*person);

            Status status;
            bool injected = false;
            {
                testing_support::AllocationFaults faults(n);
                status = operation.call(*person);
                injected = faults.Injected();
            }
            if (!injected) {
                EXPECT_EQ(status, kOk);
                break;  // the operation allocates fewer than n times
            }
            ++failures;
            EXPECT_EQ(status, platform::kOutOfMemory);
            EXPECT_EQ(Read(*person), before);
        }
        EXPECT_EQ(failures > 0, operation.allocates) << operation.name;
    }
}
