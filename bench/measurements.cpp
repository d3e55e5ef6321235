#include "bench/benchmark.h"

// Each subsystem defines its measurements beside the others of its kind (graves.cpp, ...).
Measurement setupRunMeasurement();
Measurement missingNumbersMeasurement();
Measurement plotMapMeasurement();
Measurement purchaseMeasurement();
Measurement startupMeasurement();
Measurement gridMeasurement();
Measurement historyMeasurement();
Measurement reservedMapMeasurement();
Measurement restrictMeasurement();
Measurement purgeMeasurement();
Measurement backupMeasurement();
Measurement nicheRunMeasurement();
Measurement nicheMissingMeasurement();
Measurement nicheBrowseMeasurement();
Measurement statisticsMeasurement();
Measurement soldMapMeasurement();
Measurement burialRegisterMeasurement();
Measurement burialReturnMeasurement();
Measurement expiryMeasurement();
Measurement searchMeasurement();
Measurement pinyinSearchMeasurement();
Measurement nicheSearchMeasurement();
Measurement nicheExpiryMeasurement();
Measurement lampSummaryMeasurement();
Measurement lampUnpaidMeasurement();
Measurement nicheMaintainMeasurement();
Measurement serverPurchaseMeasurement();
Measurement serverMapMeasurement();
Measurement serverSetupMeasurement();
Measurement serverRaceMeasurement();
Measurement serverNotifyMeasurement();
Measurement importMeasurement();

const QList<Measurement>& measurements() {
    static const QList<Measurement> all = {
        setupRunMeasurement(),      missingNumbersMeasurement(), plotMapMeasurement(),
        purchaseMeasurement(),      startupMeasurement(),        gridMeasurement(),
        historyMeasurement(),       reservedMapMeasurement(),    restrictMeasurement(),
        purgeMeasurement(),         backupMeasurement(),         nicheRunMeasurement(),
        nicheMissingMeasurement(),  nicheBrowseMeasurement(),    statisticsMeasurement(),
        soldMapMeasurement(),       burialRegisterMeasurement(), burialReturnMeasurement(),
        expiryMeasurement(),        searchMeasurement(),         nicheSearchMeasurement(),
        nicheExpiryMeasurement(),   lampSummaryMeasurement(),    lampUnpaidMeasurement(),
        nicheMaintainMeasurement(), serverPurchaseMeasurement(), serverMapMeasurement(),
        serverSetupMeasurement(),   serverRaceMeasurement(),     pinyinSearchMeasurement(),
        importMeasurement(),        serverNotifyMeasurement(),
    };
    return all;
}
