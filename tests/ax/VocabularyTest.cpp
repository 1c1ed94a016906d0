#include "ax/AXNotification.h"
#include "ax/Action.h"
#include "ax/Attribute.h"
#include "ax/Role.h"
#include "ax/Subrole.h"
#include "support/QtPrinters.h"

#include <QSet>

#include <gtest/gtest.h>

namespace quillora {
namespace {

// Two cases sharing one raw value would make the second unreachable when a name is parsed back.
template <typename E> void expectDistinctRawValues()
{
    QSet<QString> raws;
    for (E value : allCases<E>()) {
        raws.insert(rawValue(value));
        EXPECT_EQ(fromRawValue<E>(rawValue(value)), value);
    }
    EXPECT_EQ(static_cast<std::size_t>(raws.size()), allCases<E>().size());
}

TEST(VocabularyTest, NoTwoCasesShareARawValue)
{
    expectDistinctRawValues<Attribute>();
    expectDistinctRawValues<Role>();
    expectDistinctRawValues<Subrole>();
    expectDistinctRawValues<AXNotification>();
    expectDistinctRawValues<Action>();
}

} // namespace
} // namespace quillora
