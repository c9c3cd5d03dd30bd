#include "forms/rules/StatusChange.h"

#include <gtest/gtest.h>

namespace corvo::forms {
namespace {

TEST(StatusChangeTest, ConditionsNameTheTableColumnAndQuotedId)
{
    EXPECT_EQ(StatusCondition("TProduct", "StatusID", FixedValidStatus),
              "TProduct.StatusID = '{A1A975D8-603E-476B-90A1-A44B77E20346}'");
    EXPECT_EQ(StatusCondition("TSaleOrder", DocumentStatusColumn("TSaleOrder"), "{X}"),
              "TSaleOrder.StatusTSaleOrderID = '{X}'");
}

TEST(StatusChangeTest, EachFormHasItsButtonCaption)
{
    const std::pair<const char*, const char*> cases[] = {
        {"TFrmSimpleUpdate", "修改(&P)"}, {"TFrmSimpleUpdateMD", "修改(&P)"},
        {"TFrmInvalidate", "作废(&P)"},   {"TFrmInvalidateMD", "作废(&P)"},
        {"TFrmVerify", "审核(&V)"},       {"TFrmVerifyMD", "审核(&P)"},
        {"TFrmQueryCollate", ""},
    };
    for (const auto& [form, caption] : cases)
        EXPECT_EQ(StatusButtonCaption(form), caption) << form;
}

TEST(StatusChangeTest, DoneTextsNameTheDocument)
{
    EXPECT_EQ(StatusDoneText(StatusOperation::Verify, "SK202612-0001"),
              "单据“SK202612-0001”审核完成。");
    EXPECT_EQ(StatusDoneText(StatusOperation::Invalidate, "A"), "单据“A”作废完成。");
    EXPECT_EQ(StatusDoneText(StatusOperation::Change, ""), "单据“”修改完成。");
}

TEST(StatusChangeTest, OnlyPaymentsAndCollectionsWarnBeforeInvalidating)
{
    EXPECT_NE(InvalidateQueryHint("TPaymentOrder").find("[付款单核销供应商发票]"),
              std::string::npos);
    EXPECT_NE(InvalidateQueryHint("TCollectionOrder").find("[收款单核销销售发票]"),
              std::string::npos);
    EXPECT_EQ(InvalidateQueryHint("TProduct"), "");
    EXPECT_EQ(InvalidateQueryHint("tpaymentorder"), "");
}

TEST(StatusChangeTest, OnlySaleOrdersTakeTheirLinesToVerification)
{
    EXPECT_TRUE(VerifySendsDetailLines("TSaleOrder"));
    EXPECT_FALSE(VerifySendsDetailLines("TPurchaseOrder"));
}

} // namespace
} // namespace corvo::forms
