#pragma once
// A Picture Book opened from the older collection layout (".pcs"): read without
// version pairs or sender, the sender taken from the settings under the title,
// and always saved as a ".pbk" Picture Book beside the old file.

#include "model/CorvaleDoc.h"

class COldCorvaleDoc : public CCorvaleDoc {
public:
    void Serialize(CArchive& ar) override;
    // After the first successful save tells the user once that the book now
    // lives in the newer format.
    bool OnSaveDocument(const std::string& path) override;

    int32_t m_bConversionShown = 0;

protected:
    std::string AdjustSaveName(const std::string& name) const override;
};
