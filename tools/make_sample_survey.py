#!/usr/bin/env python3
"""Makes the synthetic sample survey shipped in data/samples/.

    python3 tools/make_sample_survey.py          # from the repository root

Writes, for the same 1,320 invented respondents:
  data/samples/sample-survey.qvd  the binary data file: 180-byte records of
                                  45 little-endian int32 in storage order
                                  (Q10 ... Q38, then Q1 ... Q9), answers as
                                  codes, age and household size grouped;
  data/samples/sample-survey.csv  the same respondents as an import file:
                                  header line, CR LF line ends, columns
                                  Q1 ... Q9, Q10 ... Q38, the age in years,
                                  Q14 as a number of persons, and "VOID" for
                                  the questions that did not apply.

Nobody was surveyed: every answer comes from a seeded random model with a
few plausible dependencies (income on education, insurance on age and
income, care on insurance, more respondents in central Houston zips).  The
seed is fixed, so the output is the same on every run.  Standard library
only.
"""
import os
import random
import struct
import sys

SEED = 20240611
RESPONDENTS = 1320

# Storage order of a record in the binary file.
STORAGE_FIELDS = [
    "Q10", "Q11", "Q12", "Q14", "Q16", "Q17", "Q18", "Q18A", "Q18B", "Q19",
    "Q20", "Q21", "Q22", "Q23", "Q26", "Q27A", "Q27B", "Q27C", "Q27D", "Q27E",
    "Q28", "Q29", "Q32", "Q34A", "Q34B", "Q34C", "Q34D", "Q34E", "Q34F",
    "Q34G", "Q34I", "Q35", "Q36", "Q37", "Q38",
    "Q1", "Q2", "Q3", "Q4", "Q5", "Q6", "Q6A", "Q7", "Q8", "Q9",
]
# Column order of the CSV files: the demographic answers first.
CSV_FIELDS = STORAGE_FIELDS[35:] + STORAGE_FIELDS[:35]

# Zip areas with a known centroid (longitude, latitude).
LOCATED_ZIPS = {
    77002: (-95.363, 29.7594), 77003: (-95.3456, 29.7489),
    77004: (-95.3632, 29.7248), 77005: (-95.4241, 29.7181),
    77006: (-95.3911, 29.7412), 77007: (-95.4146, 29.7716),
    77008: (-95.4183, 29.7982), 77009: (-95.3676, 29.7956),
    77011: (-95.3079, 29.7427), 77012: (-95.2676, 29.718),
    77013: (-95.2387, 29.7948), 77015: (-95.1705, 29.7654),
    77016: (-95.2981, 29.8626), 77017: (-95.2525, 29.6892),
    77018: (-95.4265, 29.8268), 77019: (-95.4128, 29.753),
    77020: (-95.3138, 29.7731), 77021: (-95.3575, 29.6971),
    77022: (-95.3762, 29.8302), 77023: (-95.3184, 29.7217),
    77024: (-95.5164, 29.7698), 77025: (-95.4345, 29.6867),
    77026: (-95.3289, 29.7997), 77027: (-95.4467, 29.7375),
    77028: (-95.2862, 29.8248), 77029: (-95.2672, 29.7628),
    77030: (-95.4026, 29.7059), 77031: (-95.547, 29.6545),
    77032: (-95.3396, 29.9645), 77033: (-95.3373, 29.6668),
    77034: (-95.1815, 29.6204), 77035: (-95.479, 29.6515),
    77036: (-95.5366, 29.7004), 77037: (-95.3937, 29.8905),
    77040: (-95.7377, 29.932), 77041: (-95.5841, 29.8565),
    77042: (-95.5601, 29.74), 77043: (-95.5887, 29.8068),
    77044: (-95.1828, 29.894), 77045: (-95.427, 29.6406),
    77046: (-95.436, 29.7287), 77047: (-95.3864, 29.6084),
    77048: (-95.332, 29.6222), 77049: (-95.149, 29.835),
    77050: (-95.2677, 29.9023), 77051: (-95.3751, 29.6592),
    77053: (-95.4606, 29.5843), 77054: (-95.4001, 29.6835),
    77055: (-95.4933, 29.7972), 77056: (-95.4685, 29.7485),
    77057: (-95.4893, 29.745), 77058: (-95.0861, 29.5828),
    77059: (-95.1174, 29.6029), 77060: (-95.3964, 29.9349),
    77061: (-95.2847, 29.6538), 77062: (-95.1332, 29.5759),
    77063: (-95.5232, 29.7359), 77064: (-95.5478, 29.9221),
    77065: (-95.6044, 29.927), 77066: (-95.5068, 29.9591),
    77067: (-95.4446, 29.9532), 77070: (-95.5741, 29.9805),
    77071: (-95.5205, 29.6511), 77072: (-95.5849, 29.7001),
    77073: (-95.3989, 29.9994), 77074: (-95.5153, 29.6877),
    77075: (-95.2667, 29.6203), 77076: (-95.3827, 29.8598),
    77077: (-95.6143, 29.751), 77078: (-95.2513, 29.8503),
    77079: (-95.6037, 29.7757), 77080: (-95.5244, 29.816),
    77081: (-95.4841, 29.7106), 77082: (-95.6256, 29.7228),
    77083: (-95.6475, 29.6932), 77084: (-95.6661, 29.8301),
    77085: (-95.4838, 29.6262), 77086: (-95.4897, 29.9234),
    77087: (-95.3033, 29.686), 77088: (-95.4534, 29.8815),
    77089: (-95.2233, 29.5911), 77091: (-95.4381, 29.8533),
    77092: (-95.4768, 29.8325), 77093: (-95.3405, 29.8626),
    77095: (-95.6578, 29.908), 77096: (-95.4795, 29.6745),
    77098: (-95.4155, 29.7347), 77099: (-95.5857, 29.6701),
    77236: (-95.4967, 29.7066), 77245: (-95.3633, 29.7632),
    77336: (-95.0978, 30.0682), 77338: (-95.2914, 30.0245),
    77339: (-95.2173, 30.0472), 77345: (-95.1646, 30.0556),
    77346: (-95.1826, 29.9871), 77373: (-95.3841, 30.0613),
    77381: (-95.5019, 30.1725), 77388: (-95.4641, 30.0579),
    77396: (-95.2632, 29.9512), 77401: (-95.4623, 29.705),
    77431: (-95.8279, 29.1825), 77450: (-95.75, 29.7619),
    77477: (-95.5633, 29.6248), 77489: (-95.5132, 29.5982),
    77502: (-95.1992, 29.6791), 77503: (-95.1579, 29.6998),
    77504: (-95.1905, 29.6499), 77521: (-94.9681, 29.7979),
    77532: (-95.0527, 29.9299), 77598: (-95.1252, 29.5384),
}
# Zip codes of real respondents that the map cannot place: inside the
# counted range but without a centroid, or outside the range altogether.
UNLOCATED_ZIPS = [77001, 77010, 77052, 77201, 77505, 77573]
OUT_OF_RANGE_ZIPS = [77600, 78701, 75201, 77833]
DOWNTOWN = (-95.363, 29.7594)
# Zip areas inside the city; the council district question means little
# elsewhere.
SUBURBAN_ZIPS = {77336, 77338, 77339, 77345, 77346, 77373, 77381, 77388,
                 77396, 77401, 77431, 77450, 77477, 77489, 77502, 77503,
                 77504, 77521, 77532, 77598}


def zip_weight(zip_code):
    """More respondents near downtown, fewer in the outer suburbs."""
    lon, lat = LOCATED_ZIPS[zip_code]
    distance = ((lon - DOWNTOWN[0]) ** 2 + (lat - DOWNTOWN[1]) ** 2) ** 0.5
    weight = 0.6 + 5.0 / (1.0 + (distance / 0.08) ** 2)
    if zip_code in SUBURBAN_ZIPS:
        weight *= 0.6
    # A few areas where the survey team spent extra days.
    if zip_code in (77004, 77020, 77026, 77036, 77081, 77088):
        weight *= 1.8
    return weight


class Model:
    def __init__(self, seed):
        self.rng = random.Random(seed)
        self.zips = sorted(LOCATED_ZIPS)
        self.zip_weights = [zip_weight(z) for z in self.zips]
        # Each city zip area belongs to one council district (1..9 = A..I).
        district_rng = random.Random(seed + 1)
        self.district = {z: district_rng.randint(1, 9) for z in self.zips}

    def pick(self, weighted):
        """weighted: list of (code, weight)."""
        codes = [c for c, _ in weighted]
        weights = [w for _, w in weighted]
        return self.rng.choices(codes, weights)[0]

    def chance(self, p):
        return self.rng.random() < p

    def no_answer(self, p, code, answer):
        """The answer, or the no-answer code with probability p."""
        return code if self.chance(p) else answer

    def zip_code(self):
        roll = self.rng.random()
        if roll < 0.010:
            return self.rng.choice(UNLOCATED_ZIPS)
        if roll < 0.016:
            return self.rng.choice(OUT_OF_RANGE_ZIPS)
        return self.rng.choices(self.zips, self.zip_weights)[0]

    def respondent(self):
        """One respondent as a dict of CSV cell values (ints; ages and
        household sizes raw, not grouped)."""
        r = {}
        zip_code = self.zip_code()
        lon, lat = LOCATED_ZIPS.get(zip_code, DOWNTOWN)
        centrality = 1.0 / (1.0 + (((lon - DOWNTOWN[0]) ** 2 +
                                    (lat - DOWNTOWN[1]) ** 2) ** 0.5 / 0.1) ** 2)

        # Where the respondent stays; more people without a home near
        # downtown, where the shelters are.
        homeless_share = 0.06 + 0.14 * centrality
        if self.chance(homeless_share):
            q10 = self.pick([(4, 40), (7, 10), (8, 15), (9, 30), (3, 5)])
        else:
            q10 = self.pick([(1, 80), (2, 12), (3, 3), (5, 1), (6, 0.5),
                             (10, 2)])
        q10 = self.no_answer(0.01, 99, q10)
        q11 = q10 if q10 != 99 and self.chance(0.75) else self.pick(
            [(1, 70), (2, 14), (3, 4), (4, 4), (5, 1), (6, 1), (7, 1),
             (8, 1), (9, 3), (10, 1)])
        q12 = q11 if self.chance(0.6) else self.pick(
            [(1, 78), (2, 12), (3, 2), (4, 2), (6, 1), (9, 2), (10, 3)])
        q12 = self.no_answer(0.015, 99, q12)
        homeless = q10 in (4, 7, 8, 9)
        r.update(Q10=q10, Q11=q11, Q12=q12)

        # Demographics.
        age = min(95, int(round(self.rng.triangular(18, 96, 36))))
        if self.chance(0.02):
            age = self.rng.randint(18, 24)
        age_years = 99 if self.chance(0.012) else age
        race = self.pick([(1, 34), (2, 6), (3, 1), (4, 40), (5, 5), (6, 12),
                          (9, 2)])
        hispanic_p = 0.45 if race in (4, 6) else 0.08
        hispanic = self.no_answer(0.015, 9, 1 if self.chance(hispanic_p) else 2)
        sex = self.pick([(1, 47), (2, 51), (9, 2)])
        if age < 26:
            marital = self.pick([(1, 12), (2, 18), (3, 2), (4, 2), (5, 66)])
        elif age < 60:
            marital = self.pick([(1, 45), (2, 12), (3, 16), (4, 6), (5, 21)])
        else:
            marital = self.pick([(1, 50), (2, 5), (3, 20), (4, 4), (5, 21)])
        if homeless:
            marital = self.pick([(1, 8), (2, 6), (3, 30), (4, 16), (5, 40)])
        marital = self.no_answer(0.015, 9, marital)

        children_p = 0.35 if age < 25 else 0.62 if age < 50 else 0.22
        if homeless:
            children_p *= 0.5
        has_children = self.no_answer(0.015, 9, 1 if self.chance(children_p) else 2)
        if has_children == 1:
            children = self.pick([(1, 30), (2, 32), (3, 18), (4, 9), (5, 5),
                                  (6, 3), (7, 1), (8, 1), (9, 0.5), (10, 0.5)])
            children = self.no_answer(0.02, 99, children)
        elif has_children == 2:
            children = 11
        else:
            children = 99

        education = self.pick([(1, 6), (2, 12), (3, 30), (4, 25), (5, 18),
                               (6, 9)])
        # Income follows education, with plenty of spread.
        income = education * 1.6 + self.rng.gauss(0.0, 2.2)
        if age > 70:
            income -= 1.5
        if homeless:
            income = self.rng.choice([1, 1, 1, 2, 2, 3])
        income = max(1, min(11, int(round(income))))
        education = self.no_answer(0.015, 9, education)
        income = self.no_answer(0.04, 99, income)
        veteran_p = 0.2 if sex == 1 and age >= 35 else 0.03
        veteran = self.no_answer(0.01, 9, 1 if self.chance(veteran_p) else 2)
        r.update(Q1=age_years, Q2=race, Q3=hispanic, Q4=sex, Q5=marital,
                 Q6=has_children, Q6A=children, Q7=income, Q8=education,
                 Q9=veteran)
        low_income = income in (1, 2, 3, 4)
        high_income = income != 99 and income >= 8

        # Household and housing.
        if homeless:
            persons = 99 if self.chance(0.8) else self.rng.randint(1, 4)
            rooms = 99 if self.chance(0.85) else self.rng.randint(1, 3)
        else:
            persons = 1 + (1 if marital in (1, 2) else 0)
            if 1 <= children <= 10:
                persons += children
            if self.chance(0.25):
                persons += self.rng.randint(1, 3)
            persons = self.no_answer(0.02, 99, persons)
            income_level = income if income != 99 else 5
            rooms = 1.5 + 0.5 * min(persons if persons != 99 else 3, 8) \
                + 0.35 * income_level + self.rng.gauss(0.0, 1.0)
            rooms = max(1, min(10, int(round(rooms))))
            rooms = self.no_answer(0.02, 99, rooms)
        r.update(Q14=persons, Q16=rooms)

        # Health insurance, care and drugs.
        if age >= 65:
            insurance = self.pick([(2, 70), (1, 14), (3, 5), (4, 4), (8, 4),
                                   (7, 3)])
        elif homeless or income in (1, 2):
            insurance = self.pick([(3, 35), (8, 52), (4, 3), (7, 5), (1, 5)])
        elif low_income:
            insurance = self.pick([(1, 28), (3, 20), (8, 40), (6, 4), (7, 5),
                                   (5, 3)])
        elif high_income:
            insurance = self.pick([(1, 84), (5, 3), (6, 3), (7, 4), (8, 6)])
        else:
            insurance = self.pick([(1, 58), (3, 6), (5, 4), (6, 4), (7, 6),
                                   (8, 22)])
        if veteran == 1 and self.chance(0.3):
            insurance = 4
        insurance = self.no_answer(0.02, 9, insurance)
        uninsured = insurance == 8

        needed_p = 0.45 + 0.006 * max(0, age - 30)
        needed = self.no_answer(0.015, 9, 1 if self.chance(needed_p) else 2)
        if needed == 1:
            got_p = 0.55 if uninsured else 0.88
            got_care = self.no_answer(0.02, 9, 1 if self.chance(got_p) else 2)
            if uninsured or homeless:
                where = self.pick([(1, 10), (2, 35), (3, 40), (4, 8), (5, 7)])
            elif insurance == 3:
                where = self.pick([(1, 30), (2, 35), (3, 22), (4, 8), (5, 5)])
            else:
                where = self.pick([(1, 68), (2, 10), (3, 8), (4, 11), (5, 3)])
            where = self.no_answer(0.02, 9, where)
        elif needed == 2:
            got_care, where = 3, 6
        else:
            got_care, where = 9, 9

        daily_p = min(0.85, 0.1 + 0.012 * max(0, age - 25))
        drugs = self.pick([(2, daily_p), (3, 0.2), (1, 0.8 - daily_p + 0.1)])
        drugs = self.no_answer(0.02, 9, drugs)
        if drugs == 1:
            skipped = 2
        else:
            skip_p = 0.45 if uninsured else 0.25 if low_income else 0.08
            skipped = 1 if self.chance(skip_p) else 2
        skipped = self.no_answer(0.02, 9, skipped)
        if age >= 55:
            condition = self.pick([(4, 34), (2, 18), (5, 12), (3, 6), (8, 5),
                                   (1, 5), (9, 6), (12, 14)])
        else:
            condition = self.pick([(1, 18), (4, 14), (2, 8), (9, 16), (10, 6),
                                   (6, 3), (7, 1), (11, 2), (3, 2),
                                   (12, 30)])
        condition = self.no_answer(0.05, 99, condition)
        if age >= 60:
            interferes = self.pick([(1, 22), (2, 20), (3, 36), (4, 22)])
        else:
            interferes = self.pick([(1, 45), (2, 9), (3, 20), (4, 26)])
        interferes = self.no_answer(0.02, 9, interferes)
        r.update(Q17=insurance, Q18=needed, Q18A=got_care, Q18B=where,
                 Q19=drugs, Q20=skipped, Q21=condition, Q22=interferes)

        afraid_p = 0.7 if homeless else 0.45 if low_income else 0.14
        r["Q23"] = self.no_answer(0.02, 9, 1 if self.chance(afraid_p) else 2)

        # Neighbourhood and the department's priorities.
        income_level = income if income != 99 else 5
        satisfaction = 2.2 + 0.2 * income_level - 0.8 * centrality \
            + self.rng.gauss(0.0, 0.9)
        satisfaction = max(1, min(5, int(round(satisfaction))))
        r["Q26"] = self.no_answer(0.02, 9, satisfaction)
        for field, bias in (("Q27A", -0.4), ("Q27B", -0.2), ("Q27C", 0.0),
                            ("Q27D", -0.3), ("Q27E", 0.1)):
            need = 1.5 + 0.45 * satisfaction + bias + self.rng.gauss(0.0, 0.9)
            if field == "Q27B" and homeless:
                need -= 1.0
            r[field] = self.no_answer(0.025, 9, max(1, min(5, int(round(need)))))
        if homeless:
            priority = self.pick([(1, 35), (2, 40), (3, 5), (4, 4), (5, 8),
                                  (6, 8)])
        else:
            priority = self.pick([(1, 28), (2, 9), (3, 15), (4, 20), (5, 11),
                                  (6, 17)])
        r["Q28"] = self.no_answer(0.03, 9, priority)
        r["Q29"] = self.pick([(1, 55), (2, 38), (9, 7)])
        r["Q32"] = zip_code

        # Housing treatment.  Owners answer the mortgage questions,
        # renters the renting ones.
        owner = (not homeless and q10 == 1 and
                 self.chance(0.2 + 0.06 * income_level + 0.004 * age))
        renter = not owner and not homeless and q10 in (1, 2)
        unfair_p = 0.12 if race in (1, 6) or hispanic == 1 else 0.05
        for field, applies in (("Q34A", owner), ("Q34B", owner),
                               ("Q34C", owner), ("Q34D", renter),
                               ("Q34E", renter), ("Q34F", owner or renter),
                               ("Q34G", renter and low_income)):
            if applies or self.chance(0.15):
                answer = 1 if self.chance(unfair_p) else 2
            else:
                answer = 3
            r[field] = self.no_answer(0.025, 9, answer)
        r["Q34I"] = self.pick([(1, 7), (2, 89), (9, 4)])

        has_mortgage = owner and self.chance(0.75 if age < 65 else 0.35)
        if has_mortgage:
            rate = self.pick([(1, 6), (2, 38), (3, 28), (4, 8), (5, 20)])
            premium = self.pick([(1, 12), (2, 16), (3, 10), (4, 10), (5, 4),
                                 (6, 18), (7, 30)])
        else:
            rate, premium = 6, 7
        r["Q35"] = self.no_answer(0.03, 9, rate)
        r["Q36"] = self.no_answer(0.03, 9, premium)
        if renter and self.chance(0.8):
            deposit = self.pick([(1, 12), (2, 22), (3, 24), (4, 14), (5, 12),
                                 (6, 8), (8, 8)])
        else:
            deposit = 7
        r["Q37"] = self.no_answer(0.03, 9, deposit)

        if zip_code in self.district and zip_code not in SUBURBAN_ZIPS \
                and self.chance(0.25 + 0.03 * income_level):
            district = self.district[zip_code]
            if self.chance(0.15):  # a few name the wrong member
                district = self.rng.randint(1, 9)
        else:
            district = 10
        r["Q38"] = self.no_answer(0.03, 99, district)
        return r


def age_group(years):
    if years == 99:
        return 99
    for group, upper in enumerate((29, 39, 49, 59, 69, 79, 89), start=1):
        if years <= upper:
            return group
    return 8


def persons_group(persons):
    if persons == 99:
        return 99
    for group, upper in enumerate((2, 4, 6, 8, 10), start=1):
        if persons <= upper:
            return group
    return 6


def record_codes(answers):
    """The stored record of one respondent: grouped age and household size."""
    codes = dict(answers)
    codes["Q1"] = age_group(answers["Q1"])
    codes["Q14"] = persons_group(answers["Q14"])
    return [codes[name] for name in STORAGE_FIELDS]


def csv_cell(name, value):
    if (name, value) in (("Q6A", 11), ("Q18A", 3), ("Q18B", 6)):
        return "VOID"
    return str(value)


def check(answers):
    """Skip logic the generator promises."""
    assert (answers["Q6"] == 2) == (answers["Q6A"] == 11)
    assert (answers["Q18"] == 2) == (answers["Q18A"] == 3)
    assert (answers["Q18"] == 2) == (answers["Q18B"] == 6)
    assert 18 <= answers["Q1"] <= 95 or answers["Q1"] == 99
    assert 1 <= answers["Q14"] <= 30 or answers["Q14"] == 99


def main():
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out_dir = os.path.join(repo, "data", "samples")
    os.makedirs(out_dir, exist_ok=True)
    model = Model(SEED)
    people = [model.respondent() for _ in range(RESPONDENTS)]
    for answers in people:
        check(answers)

    with open(os.path.join(out_dir, "sample-survey.qvd"), "wb") as f:
        for answers in people:
            f.write(struct.pack("<45i", *record_codes(answers)))
    with open(os.path.join(out_dir, "sample-survey.csv"), "w",
              newline="", encoding="ascii") as f:
        f.write(",".join(CSV_FIELDS) + "\r\n")
        for answers in people:
            f.write(",".join(csv_cell(n, answers[n]) for n in CSV_FIELDS)
                    + "\r\n")

    located = sum(1 for a in people if a["Q32"] in LOCATED_ZIPS)
    print("wrote %d respondents, %d in located zip areas"
          % (len(people), located))
    return 0


if __name__ == "__main__":
    sys.exit(main())
