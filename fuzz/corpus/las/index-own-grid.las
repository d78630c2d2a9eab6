~V
VERS. 2.0 :
~W
STRT.M 100 :
STEP.M 0.1 :
NULL. none :
~C
DEPT.M :
GR.GAPI :
~A
200.0 1
200.1 -999.25
200.2 -9999.99
