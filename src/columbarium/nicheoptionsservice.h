#pragma once

#include "shared/memobook.h"

class Clock;
class Database;
struct ChosenNiche;

// The options of an occupied niche (Frm_jcxx): its line and its memos in jc_bwl.
class NicheOptionsService {
public:
    NicheOptionsService(Database& database, const Clock& clock);

    // Label1: the niche and its price.
    static QString line(const ChosenNiche& niche);
    // 添加备忘记录 and 删除备忘记录, which asks with the memo's id.
    const MemoBook& memos() const { return m_memos; }

private:
    MemoBook m_memos;
};
