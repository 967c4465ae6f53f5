// One acquisition in the order the compiler's scanner command makes it,
// with every result, every reported error and the picture recorded.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QSize>

#include "AcquireImage.h"

struct AcquisitionRun {
    bool loaded = false;
    int openManager = -1;
    std::string name;
    int select = -1;
    int openSource = -1;
    int acquire = -1;
    int acquireDetail = -1;
    int close = -1;
    bool unloaded = false;
    std::vector<std::pair<int, int>> errors; // state, error
    QSize picture;

    // selectName: the name given to SelectSource; empty uses the chosen one.
    static AcquisitionRun Make(TAcquireImage& scanner, const std::string& selectName = "")
    {
        AcquisitionRun run;
        scanner.OnTwainError = [&run](TObject*, int state, int error) { run.errors.emplace_back(state, error); };
        run.loaded = scanner.LoadSourceManager();
        run.openManager = scanner.OpenSourceManager();
        scanner.GetSourceName(false, run.name);
        run.select = scanner.SelectSource(selectName.empty() ? run.name : selectName);
        run.openSource = scanner.OpenSource();
        std::unique_ptr<TJPEGImage> jpeg;
        run.acquire = scanner.AcquireJPEG(jpeg, 50);
        run.acquireDetail = scanner.AcquireDetail();
        if (jpeg)
            run.picture = QSize(jpeg->Width(), jpeg->Height());
        run.close = scanner.CloseSourceManager();
        run.unloaded = scanner.UnloadSourceManager();
        scanner.OnTwainError = nullptr;
        return run;
    }
};
