#------------------------------------------------------------
~VERSION INFORMATION
VERS.               2.0  :CWLS LOG ASCII STANDARD - VERSION 2.0
WRAP.                NO  :ONE LINE PER DEPTH STEP
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
PROD.  