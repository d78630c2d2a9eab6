#------------------------------------------------------------
~VERSION INFORMATION
VERS.               2.0  :CWLS LOG ASCII STANDARD - VERSION 2.0
WRAP. 1.2.3 :ONE LINE PER DEPTH STEP
#------------------------------------------------------------
~WELL INFORMATION
STRT.M        0.0500000  :FIRST INDEX VALUE
STOP.M          136.600  :LAST INDEX VALUE
STEP.M        0.0500000  :STEP
NULL.            -99999  :NULL VALUE
COMP.                    :COMP
WELL.        Scorpio E1  :WELL
FLD.                     :
LOC.             Mt Eba  :LOC
SRVC.                    :
CTRY.                    :
STAT.                SA  :STAT
CNTY.                    :
DATE.        15/03/2015  :DATE
UWI.           6038-187  :WUNT
#------------------------------------------------------------
~CURVE INFORMATION
DEPT.M                   :DEPTH
CALI.MM                  :CALI
DFAR.G/CM3               :DFAR
DNEAR.G/CM3              :DNEAR
GAMN.GAPI                :GAMN
NEUT.CPS                 :NEUT
PR.OHM/M                 :PR
SP.MV                    :SP
COND.MS/M                :COND
#------------------------------------------------------------
~PARAMETER INFORMATION
BS.              216 mm  :BS
JOBN.                    :JOBN
WPMT.                    :WPMT
AGL.                     :AGL
PURP. Cased hole stratigraphy  :PURP
X.              0560160  :X
CSGL.       0 m - 135 m  :CSGL
UNIT.                    :UNIT
Y.              6686430  :Y
TDL.            135.2 m  :TDL
PROD.                    :PROD
MUD.              Water  :MUD
CSGS.            100 mm  :CSGS
ENG.                     :ENG
STEP.              5 cm  :STEP
FluidLevel.        54 m  :FluidLevel
CSGT.               PVC  :CSGT
WIT.                     :WIT
EREF.                    :EREF
PROJ.                    :PROJ
ZONE.               53J  :ZONE
DREF.                GL  :DREF
TDD.              136 m  :TDD
#------------------------------------------------------------
~OTHER
#------------------------------------------------------------
~A   DEPT[M]        CALI        DFAR       DNEAR        GAMN        NEUT          PR          SP        COND
   0.0500000     49.7650     4.58700     3.38200    -99999.0    -99999.0    -99999.0    -99999.0    -99999.0
    0.100000     49.7650     4.58700     3.38200    -2324.28    -99999.0     115.508    -3.04900    -116.998
    0.150000     49.7650     4.58700     3.38200    -2324.28    -99999.0     115.508    -3.04900    -116.998
    0.200000     49.7650     4.58700     3.38200    -2324.28    -99999.0     115.508    -3.04900    -116.998
    0.250000     49.7650     4.58700     3.38200    -2324.28    -99999.0     115.508    -3.04900    -116.998
    0.300000     49.7650     4.58700     3.38200    -2324.28    -99999.0     115.508    -3.04900    -116.998
